# Runs mkmedia as a vendor would: a product that spans 360K disks, built
# twice (the same bytes and dates), placed so that every disk is asked for
# once in ascending order, and accepted by inicheck; then every refusal.
# MKMEDIA, INICHECK: the programs; RUN: how to run them (empty, or the Wine
# runner); WORK: a scratch directory.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failures 0)

# expect(CODE REGEX ARGS...): runs ARGS and checks the exit code and that
# standard output and error together match REGEX.
function(expect code regex)
  execute_process(COMMAND ${RUN} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" text "${out}${err}")
  if(NOT rc STREQUAL "${code}" OR NOT text MATCHES "${regex}")
    message(SEND_ERROR "${ARGN}: exit ${rc} (want ${code}), output:\n${text}\n(want /${regex}/)")
  endif()
endfunction()

function(random file bytes)
  execute_process(COMMAND head -c ${bytes} /dev/urandom OUTPUT_FILE ${file} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot write ${file}")
  endif()
endfunction()

# A product: two font packages, one of three incompressible files of 200000
# bytes, so that it needs three 360K disks.
function(make_product dir)
  file(MAKE_DIRECTORY ${dir}/Core ${dir}/Extra/SUB)
  file(WRITE ${dir}/install.ini "[Install]\nname=Test Fonts\nBaseDir=C:\\TEST\n[Packages]\n"
       "Core=Core fonts,FONTS,?,?,FF1,0\nExtra=Extra fonts,EXTRA,?,?,FF1,1\n")
  file(WRITE ${dir}/readme.txt "Test Fonts\n")
  file(WRITE ${dir}/SETUP.EXE "a stand-in for the setup program\n")
  file(WRITE ${dir}/Core/A.FF1 "font A\n")
  file(WRITE ${dir}/Core/B.FF1 "font B\n")
  random(${dir}/Extra/ONE.DAT 200000)
  random(${dir}/Extra/TWO.DAT 200000)
  random(${dir}/Extra/SUB/THREE.DAT 200000)
  execute_process(COMMAND find ${dir} -type f -exec touch -d "2001-02-03 04:05:06" {} +)
endfunction()

make_product(${WORK}/good)
# Paths are printed as the host writes them.
if(RUN)
  set(sep "\\\\")
else()
  set(sep "/")
endif()
expect(0 "(^|\n)a${sep}DISK3: " ${MKMEDIA} good a --media 360K)
expect(0 "DISK3" ${MKMEDIA} good b --media 360K)

# The same bytes and dates twice.
file(GLOB_RECURSE files_a RELATIVE ${WORK}/a ${WORK}/a/*)
file(GLOB_RECURSE files_b RELATIVE ${WORK}/b ${WORK}/b/*)
if(NOT files_a STREQUAL files_b)
  message(SEND_ERROR "the two sets hold different files:\n${files_a}\n${files_b}")
endif()
foreach(f ${files_a})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/a/${f} ${WORK}/b/${f} RESULT_VARIABLE rc)
  file(TIMESTAMP ${WORK}/a/${f} date_a "%Y-%m-%d %H:%M:%S")
  file(TIMESTAMP ${WORK}/b/${f} date_b "%Y-%m-%d %H:%M:%S")
  if(NOT rc EQUAL 0 OR NOT date_a STREQUAL date_b OR NOT date_a STREQUAL "2001-02-03 04:05:06")
    message(SEND_ERROR "${f}: differs between two builds of the same product (${date_a}, ${date_b})")
  endif()
endforeach()

# Placement: disks 1 to 3 in order, each section's archives on its own disk
# and on no other; the setup files on disk 1.
file(READ ${WORK}/a/DISK1/INSTALL.INI script)
string(REPLACE "\r" "" script "${script}")
if(NOT script MATCHES "\\[Install\\]\ndisks=3\n"
   OR NOT script MATCHES "Core=Core fonts,FONTS,2,2,FF1,0\nExtra=Extra fonts,EXTRA,3,588,FF1,1\n"
   OR NOT script MATCHES "\n\\[Disk1\\]\nCore=CORE0101.ARC\nExtra=EXTR0201.ARC\n\n\\[Disk2\\]\nExtra=EXTR0202.ARC\n\n\\[Disk3\\]\nExtra=EXTR0203.ARC\n$")
  message(SEND_ERROR "unexpected script:\n${script}")
endif()
foreach(placed DISK1/SETUP.EXE DISK1/INSTALL.INI DISK1/README.TXT DISK1/CORE0101.ARC DISK1/EXTR0201.ARC
               DISK2/EXTR0202.ARC DISK3/EXTR0203.ARC)
  list(FIND files_a ${placed} at)
  if(at LESS 0)
    message(SEND_ERROR "${placed} is missing")
  endif()
endforeach()
list(LENGTH files_a count)
if(NOT count EQUAL 7)
  message(SEND_ERROR "the set holds more than its seven files: ${files_a}")
endif()
expect(0 "^$" ${INICHECK} a/DISK1/INSTALL.INI --media a/DISK1 a/DISK2 a/DISK3)

# The same product on a CD: one directory, one archive per package.
expect(0 "CORE0101.ARC.*EXTR0201.ARC" ${MKMEDIA} good cd --media cd)
file(GLOB cd_files RELATIVE ${WORK}/cd ${WORK}/cd/*/*)
if(NOT cd_files STREQUAL "DISK1/CORE0101.ARC;DISK1/EXTR0201.ARC;DISK1/INSTALL.INI;DISK1/README.TXT;DISK1/SETUP.EXE")
  message(SEND_ERROR "unexpected CD: ${cd_files}")
endif()

# A template typed in UTF-8 with a byte-order mark and lines ending in CR
# alone, a file name beyond ASCII: the disks hold them in code page 1252,
# the name in the archive, the 8.3 name unremarked.
string(ASCII 239 187 191 bom)
string(ASCII 13 cr)
make_product(${WORK}/kestrel)
file(WRITE ${WORK}/kestrel/install.ini
     "${bom}[Install]${cr}name=Kestrel Schriften für Büro${cr}BaseDir=C:\\KESTREL${cr}"
     "[Packages]${cr}Core=Kernschriften für Büro,FONTS,?,?,FF1,0${cr}"
     "Extra=Extra,EXTRA,?,?,FF1,1${cr}[WinIniData]${cr}AddToSection1=Kestrel;Büro=1${cr}")
file(WRITE ${WORK}/kestrel/Core/LIZENZÄ.TXT "Lizenz\n")
expect(0 "kestrel_out.DISK1: 5 files" ${MKMEDIA} kestrel kestrel_out --media cd)
file(READ ${WORK}/kestrel_out/DISK1/INSTALL.INI script HEX)
file(READ ${WORK}/kestrel_out/DISK1/CORE0101.ARC archive HEX)
# "name=Kestrel Schriften f\xfcr B\xfcro\r\n" and "LIZENZ\xc4.TXT"
if(NOT script MATCHES "^5b496e7374616c6c5d0d0a" OR
   NOT script MATCHES "6e616d653d4b65737472656c20536368726966746" OR
   NOT script MATCHES "2066fc722042fc726f0d0a" OR NOT script MATCHES "4b65737472656c3b42fc726f3d310d0a"
   OR NOT archive MATCHES "4c495a454e5ac42e545854")
  message(SEND_ERROR "the script or the names are not in code page 1252:\n${script}\n${archive}")
endif()
expect(0 "^$" ${INICHECK} kestrel_out/DISK1/INSTALL.INI --media kestrel_out/DISK1)
# What code page 1252 cannot hold is refused with its line; 1250 holds it.
file(WRITE ${WORK}/kestrel/install.ini "[Install]\nname=Großő\n[Packages]\n"
     "Core=Core fonts,FONTS,?,?,FF1,0\nExtra=Extra,EXTRA,?,?,FF1,1\n")
expect(1 "install.ini:Install:name: error: line 2: \"ő\" \\(U\\+0151\\) is no character of code page 1252\n.*the template cannot be written in code page 1252; nothing written"
       ${MKMEDIA} kestrel refused_out --media cd)
expect(0 "DISK1" ${MKMEDIA} kestrel cp1250_out --media cd --codepage 1250)
if(EXISTS ${WORK}/refused_out)
  message(SEND_ERROR "a refused set left refused_out behind")
endif()

# Usage.
expect(0 "^usage: mkmedia PRODUCT OUTDIR" ${MKMEDIA} --help)
expect(2 "unknown code page 1258 \\(1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257\\)"
       ${MKMEDIA} good out --codepage 1258)
expect(2 "unknown code page 1252x" ${MKMEDIA} good out --codepage 1252x)
expect(2 "PRODUCT and OUTDIR are needed" ${MKMEDIA} good)
expect(2 "unknown medium 1.4M \\(360K, 720K, 1.2M, 1.44M, 2.88M, cd\\)" ${MKMEDIA} good out --media 1.4M)
expect(2 "--setup needs a value" ${MKMEDIA} good out --setup)
expect(2 "--label labels the images of --image" ${MKMEDIA} good out --label FONTS)
expect(2 "bad label FONT-A: 1 to 8 letters, digits or _" ${MKMEDIA} good out --image --label FONT-A)
expect(2 "bad label TOOLONGER: 1 to 8" ${MKMEDIA} good out --image --label TOOLONGER)
expect(1 "a: not empty; mkmedia writes only into a new or empty directory; nothing written"
       ${MKMEDIA} good a --media 360K)

# Refusals: each product breaks one rule; nothing is written.
function(refuse name regex)
  make_product(${WORK}/${name})
  cmake_language(CALL ${name}_break ${WORK}/${name})
  expect(1 "${regex}" ${MKMEDIA} ${name} ${name}_out --media 360K)
  if(EXISTS ${WORK}/${name}_out)
    message(SEND_ERROR "${name}: a refused set left ${name}_out behind")
  endif()
endfunction()

function(no_script_break dir)
  file(REMOVE ${dir}/install.ini)
endfunction()
function(no_setup_break dir)
  file(REMOVE ${dir}/SETUP.EXE)
endfunction()
function(many_packages_break dir)
  set(text "[Install]\nname=Many\n[Packages]\n")
  foreach(i RANGE 1 21)
    string(APPEND text "P${i}=Package,P${i},?,?,FF1,1\n")
  endforeach()
  file(WRITE ${dir}/install.ini "${text}")
endfunction()
function(long_name_break dir)
  file(RENAME ${dir}/Extra ${dir}/ExtraFontsForAll)
  file(WRITE ${dir}/install.ini "[Install]\nname=T\n[Packages]\nCore=Core,FONTS,?,?,FF1,0\n"
       "ExtraFontsForAll=Extra,EXTRA,?,?,FF1,1\n")
endfunction()
function(big_file_break dir)
  random(${dir}/Extra/BIG.DAT 400000)
endfunction()
function(big_setup_break dir)
  random(${dir}/SETUP.EXE 400000)
endfunction()
function(no_dot_break dir)
  file(WRITE ${dir}/Core/README "no dot\n")
endfunction()
function(device_break dir)
  file(WRITE ${dir}/Core/CON.FF1 "a device\n")
endfunction()
function(no_folder_break dir)
  file(REMOVE_RECURSE ${dir}/Extra)
endfunction()
function(stray_folder_break dir)
  file(MAKE_DIRECTORY ${dir}/Extras)
endfunction()
function(disks_key_break dir)
  file(WRITE ${dir}/install.ini "[Install]\nname=T\ndisks=2\n[Packages]\nCore=Core,FONTS,?,?,FF1,0\n"
       "Extra=Extra,EXTRA,?,?,FF1,1\n")
endfunction()
function(disk_section_break dir)
  file(APPEND ${dir}/install.ini "[Disk1]\nCore=CORE.ARC\n")
endfunction()

# The intro's branding: a logo that is no bitmap, a credit line wider than
# its control, a setup program that cannot take them.
function(bad_logo_break dir)
  file(WRITE ${dir}/logo.bmp "GIF89a")
endfunction()
function(wide_credits_break dir)
  file(WRITE ${dir}/credits.txt "Setup by\nWWWWWWWWWWWWWWWWWWWWWWWWW\n")
endfunction()
function(stand_in_setup_break dir)
  file(WRITE ${dir}/credits.txt "Setup by\nKestrel\n")
endfunction()

refuse(bad_logo "logo.bmp: error: not a Windows bitmap \\(BMP\\)\n.*the logo or the credits cannot be used; nothing written")
refuse(wide_credits "credits.txt:2: error: the line is 350 pixels wide in the intro's font; its control shows 334")
refuse(stand_in_setup "SETUP.EXE: error: not a Windows program; mkmedia cannot give it the product's logo and credits")
refuse(no_script "has no install.ini")
refuse(no_setup "has no SETUP.EXE \\(or give --setup FILE\\)")
refuse(many_packages "Packages:: error: 21 packages, more than the setup's 20.*the template has errors; nothing written")
refuse(long_name "ExtraFontsForAll: error: the name is longer than 14 characters; the setup cuts it to \"ExtraFontsForA\"")
refuse(big_file "Extra: BIG.DAT packs to [0-9]+ bytes, more than an empty 360K disk holds")
refuse(big_setup "disk 1 cannot hold the setup files: the files take [0-9]+ bytes in clusters of 1024, more than the 362496 the disk holds")
refuse(no_dot "README: the name has no dot, so the setup would make a directory of it")
refuse(device "CON.FF1: the name leaves the destination or names a device")
refuse(no_folder "the package Extra has no folder")
refuse(stray_folder "Extras: no package in \\[Packages\\] has this name")
refuse(disks_key "\\[Install\\] disks: mkmedia writes the number of disks")
refuse(disk_section "section \\[Disk1\\]: mkmedia writes the disk sections")
