# Run by CPack once the package is made (CPACK_POST_BUILD_SCRIPTS): its Installed-Size is set
# again to what it unpacks to (installed-size.sh says why).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_ORVANIX_PACKAGING_DIR}/installed-size.sh ${package}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Cannot set the Installed-Size of ${package}")
  endif()
endforeach()
