# The program's one version number, from project(VERSION): its version text is what the editor,
# `--version` and the package show ("1.00" for 1.0.0.0, "1.05b" for 1.5.2.0: major, the minor
# as two digits, and for a release above 0 the letter 96 + release). The program computes the
# same text from ORVANIX_FILE_VERSION at run time; the install test checks that both agree.

set(ORVANIX_FILE_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")

math(EXPR minor "${PROJECT_VERSION_MINOR} + 0")
if(minor LESS 10)
  set(minor "0${minor}")
endif()
set(ORVANIX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}")
if(PROJECT_VERSION_PATCH GREATER 0)
  math(EXPR letter "96 + ${PROJECT_VERSION_PATCH}")
  string(ASCII ${letter} letter)
  string(APPEND ORVANIX_VERSION_TEXT "${letter}")
endif()
unset(minor)
unset(letter)
