# Run by CPack once the package is made (CPACK_POST_BUILD_SCRIPTS): finish-package.sh puts right
# what CPack gets wrong for this package.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_ORVANIX_PACKAGING_DIR}/finish-package.sh ${package}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Cannot finish ${package}")
  endif()
endforeach()
