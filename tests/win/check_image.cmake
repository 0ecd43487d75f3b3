# Static checks of SETUP.EXE as built, which run on any host:
#   cmake -DOBJDUMP=... -DSETUP=SETUP.exe -DBITS=32|64 -DOTHERS="a.exe;b.exe" -P check_image.cmake
# - the header: i386 (or x86-64 for the test build), a GUI program;
# - the window and dialog procedures, DDECallback and linkCreate exported by name;
# - shell32.dll and ole32.dll loaded at run time, never imported (also by OTHERS),
#   so that the program also runs where they are missing.
function(dump file out)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read ${file}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(check_imports file text)
  string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${text}")
  message(STATUS "${file}: ${imports}")
  string(TOLOWER "${imports}" lower)
  if(lower MATCHES "shell32\\.dll|ole32\\.dll")
    message(FATAL_ERROR "${file} imports shell32.dll or ole32.dll")
  endif()
endfunction()

dump(${SETUP} text)
if(BITS EQUAL 32)
  set(format "pei-i386")
  set(magic "010b")
else()
  set(format "pei-x86-64")
  set(magic "020b")
endif()
if(NOT text MATCHES "file format ${format}\n" OR NOT text MATCHES "Magic[\t ]+${magic}")
  message(FATAL_ERROR "${SETUP} is not a ${format} image")
endif()
if(NOT text MATCHES "Subsystem[\t ]+00000002")
  message(FATAL_ERROR "${SETUP} is not a Windows GUI program")
endif()
foreach(name MainWndProc OptionsDlgProc IntroDlg ExtractStatusDlgProc StatusDlgProc GetDiskDlg
             DDECallback linkCreate)
  if(NOT text MATCHES "\\] ${name}\n")
    message(FATAL_ERROR "${SETUP} does not export ${name} by name")
  endif()
endforeach()
check_imports(${SETUP} "${text}")
foreach(file ${OTHERS})
  dump(${file} text)
  check_imports(${file} "${text}")
endforeach()
