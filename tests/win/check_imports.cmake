# Fails when one of FILES imports shell32.dll or ole32.dll: the program loads
# them at run time, so that it also runs where they are missing.
#   cmake -DOBJDUMP=... -DFILES="a.exe;b.exe" -P check_imports.cmake
foreach(file ${FILES})
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
  message(STATUS "${file}: ${imports}")
  string(TOLOWER "${imports}" lower)
  if(lower MATCHES "shell32\\.dll|ole32\\.dll")
    message(FATAL_ERROR "${file} imports shell32.dll or ole32.dll")
  endif()
endforeach()
