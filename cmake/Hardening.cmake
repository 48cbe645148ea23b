# Debian's hardening flags, as dpkg-buildflags gives them with every hardening feature on
# (_FORTIFY_SOURCE, -fstack-protector-strong, format checks, -z relro -z now), so the program in
# the package is built like the rest of the system. The build type still chooses optimisation and
# debug information; _FORTIFY_SOURCE needs optimisation, so a Debug build leaves the compile flags
# out. The sanitizers bring their own checks.

if(ORVANIX_SANITIZE)
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: building without Debian's hardening flags")
  return()
endif()

function(orvanix_debian_flags kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-O|^-g$|^-ffile-prefix-map=")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

orvanix_debian_flags(CPPFLAGS cppflags)
orvanix_debian_flags(CXXFLAGS cxxflags)
orvanix_debian_flags(LDFLAGS ldflags)
foreach(flag IN LISTS cppflags cxxflags)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flag}>")
endforeach()
add_link_options(${ldflags})
