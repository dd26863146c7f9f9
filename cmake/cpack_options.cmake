# Read by cpack for every package it makes: the Windows zip takes its
# programs from MinGW build directories it does not build itself.
if(CPACK_GENERATOR STREQUAL "ZIP")
  foreach(dir IN LISTS CPACK_SHIROKURO_WINDOWS_BUILDS)
    if(NOT EXISTS ${dir}/shirokuro.exe)
      message(FATAL_ERROR "${dir}/shirokuro.exe is missing: build the presets windows and windows64 first")
    endif()
  endforeach()
endif()
