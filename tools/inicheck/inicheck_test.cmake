# Runs inicheck as a vendor would and compares its whole output: a script
# with every problem it knows (and media with missing, misplaced and broken
# archives), a script with too many packages, usage and unusable input.
# INICHECK, ARC: the programs; RUN: how to run them (empty, or the Wine
# runner); SRC: this folder; WORK: a scratch directory.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/DISK1 ${WORK}/DISK2 ${WORK}/files/fonts ${WORK}/files/one)
file(COPY ${SRC}/tests/every_problem.ini ${SRC}/tests/too_many.ini DESTINATION ${WORK})
foreach(name A B C)
  file(WRITE ${WORK}/files/fonts/${name}.FF1 "font ${name}\n")
endforeach()
file(WRITE ${WORK}/files/one/ONE.FF1 "one font\n")
file(WRITE ${WORK}/DISK1/BROKEN.ARC "not an archive\n")

function(run_tool code expected)
  execute_process(COMMAND ${RUN} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" text "${out}${err}")
  if(NOT rc STREQUAL "${code}" OR NOT text MATCHES "${expected}")
    message(SEND_ERROR "${ARGN}: exit ${rc} (want ${code}), output:\n${text}\n(want /${expected}/)")
  endif()
endfunction()

foreach(archive DISK1/FONTS.ARC:fonts DISK1/DEEP.ARC:one DISK1/LONG.ARC:one DISK1/FONT.ARC:one
                DISK2/ORPHAN.ARC:one)
  string(REPLACE ":" ";" parts ${archive})
  list(GET parts 0 file)
  list(GET parts 1 dir)
  run_tool(0 "" ${ARC} create ${file} files/${dir})
endforeach()

# Whole outputs, compared line for line.
foreach(case "every_problem.ini;--media;DISK1;DISK2" "too_many.ini")
  list(GET case 0 script)
  string(REPLACE ".ini" ".expected" expected_file ${script})
  file(READ ${SRC}/tests/${expected_file} expected)
  execute_process(COMMAND ${RUN} ${INICHECK} ${case} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  if(NOT rc EQUAL 1 OR NOT out STREQUAL expected OR NOT err STREQUAL "")
    file(WRITE ${WORK}/${expected_file} "${out}")
    message(SEND_ERROR "inicheck ${case}: exit ${rc} (want 1), output in ${WORK}/${expected_file}, "
                       "differs from tests/${expected_file}${err}")
  endif()
endforeach()

# A clean script, usage and unusable input.
file(WRITE ${WORK}/clean.ini "[Install]\nname=Clean\nBaseDir=C:\\CLEAN\ndisks=1\n[Packages]\n"
                             "Fonts=Fonts,FONTS,1,1,FF1,0\n[Disk1]\nFonts=ONE.ARC\n")
run_tool(0 "^$" ${INICHECK} clean.ini)
run_tool(0 "^usage: inicheck SCRIPT" ${INICHECK} --help)
run_tool(2 "no script given" ${INICHECK})
run_tool(2 "unknown option --frobnicate" ${INICHECK} clean.ini --frobnicate)
run_tool(2 "more than one script" ${INICHECK} clean.ini clean.ini)
run_tool(2 "--media needs a directory" ${INICHECK} clean.ini --media)
run_tool(2 "missing.ini: cannot be read" ${INICHECK} missing.ini)
run_tool(2 "NODISK: no such directory" ${INICHECK} clean.ini --media NODISK)
run_tool(2 "--codepage needs one of 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257"
         ${INICHECK} clean.ini --codepage 1258)

# The script's bytes as the setup reads them: a byte-order mark before the
# first section, lines ending in CR alone, text saved as UTF-8; the same
# text in code page 1252 is clean.
string(ASCII 239 187 191 bom)
string(ASCII 13 cr)
string(ASCII 252 u_1252)
set(rest "BaseDir=C:\\K\ndisks=1\n[Packages]\nFonts=Fonts,FONTS,1,1,FF1,0\n[Disk1]\nFonts=ONE.ARC\n")
file(WRITE ${WORK}/bom.ini "${bom}[Install]\nname=Kestrel\n${rest}")
run_tool(1 "^bom.ini:Install:: error: line 1: a UTF-8 byte-order mark stands before \\[Install\\]: the setup reads no section header there and loses the section; save the file without the mark\n"
         ${INICHECK} bom.ini)
file(WRITE ${WORK}/cr.ini "[Install]${cr}name=Kestrel${cr}${rest}")
run_tool(1 "^cr.ini:Install:: warning: line 1: the line ends in CR alone; Windows may read it and the next as one line: end every line in CR LF\n$"
         ${INICHECK} cr.ini)
file(WRITE ${WORK}/utf8.ini "[Install]\nname=Kestrel Schriften für Büro\n${rest}")
run_tool(1 "^utf8.ini:Install:name: warning: line 2: UTF-8 text: the setup reads the script in the ANSI code page and shows \"name=Kestrel Schriften fÃ¼r BÃ¼ro\" for \"name=Kestrel Schriften für Büro\"; write the script in code page 1252 \\(mkmedia converts a template\\)\n$"
         ${INICHECK} utf8.ini)
file(WRITE ${WORK}/ansi.ini "[Install]\nname=f${u_1252}r\n${rest}")
run_tool(0 "^$" ${INICHECK} ansi.ini)

# A logo.bmp and credits.txt beside the script are checked as mkmedia uses them.
file(MAKE_DIRECTORY ${WORK}/product)
file(WRITE ${WORK}/product/install.ini "[Install]\nname=Kestrel\n${rest}")
file(WRITE ${WORK}/product/LOGO.BMP "GIF89a")
file(WRITE ${WORK}/product/credits.txt "Setup by\nKestrel\tFoundry\nfor\nK\nC\nR\nseven\n")
run_tool(1 "^product.LOGO.BMP: error: not a Windows bitmap \\(BMP\\)\nproduct.credits.txt:2: error: the line holds a tab or control character\nproduct.credits.txt:7: error: the intro shows six credit lines: the heading, three of developers and company, two of copyright\n$"
         ${INICHECK} product/install.ini)
