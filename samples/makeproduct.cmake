# Makes the sample product directory: the template, the readme and the
# support data from the source tree, the fonts with "ff1 make", and
# SETUP.EXE when the build has one, with the maker's logo (LOGO) and
# credits.txt, which mkmedia writes into it; every file dated 15 June 1998,
# 12:00, so that the disk set comes out the same on every build. With SETUP
# it also builds the 1.44M disk set with mkmedia.
# SRC: samples/product; OUT: the product directory; FF1, MKMEDIA: the
# programs; RUN: how to run them (empty, or the Wine runner, then WINE_DIR
# is its directory); SETUP: SETUP.EXE or empty; LOGO: the sample's logo.bmp
# when SETUP is given; DISKS: the disk set's directory.
set(own_wine FALSE)

function(fail message)
  if(own_wine)
    execute_process(COMMAND ${RUN} --stop)
  endif()
  message(FATAL_ERROR "${message}")
endfunction()

function(run)
  execute_process(COMMAND ${RUN} ${ARGN} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("${ARGN}: exit ${rc}")
  endif()
endfunction()

file(REMOVE_RECURSE ${OUT} ${DISKS})
file(MAKE_DIRECTORY ${OUT}/Core ${OUT}/Display ${OUT}/System)
file(COPY ${SRC}/install.ini ${SRC}/readme.txt ${SRC}/Support DESTINATION ${OUT})

# One warm Wine server for all the runs, unless one is running already.
if(RUN)
  set(ENV{SETUP_WINE_DIR} ${WINE_DIR})
  if(NOT EXISTS ${WINE_DIR}/state)
    execute_process(COMMAND ${RUN} --start RESULT_VARIABLE rc)
    set(own_wine TRUE)
  endif()
endif()

# File and face identifiers; the display fonts take identifiers of the core
# fonts, so that the setup's repair has work to do.
set(fonts
  "Core/SERIF.FF1 100 101 102 103"
  "Core/SANS.FF1 110 111"
  "Core/MONO.FF1 120"
  "--record-size 60 --table-offset 64 Display/TITLING.FF1 100 130"
  "Display/SCRIPT.FF1 110"
  "System/SYSUI.FF1 150 151")
foreach(font ${fonts})
  separate_arguments(args UNIX_COMMAND "${font}")
  run(${FF1} make ${args})
endforeach()

if(SETUP)
  file(COPY_FILE ${SETUP} ${OUT}/SETUP.EXE)
  file(COPY_FILE ${LOGO} ${OUT}/logo.bmp)
  file(COPY_FILE ${SRC}/credits.txt ${OUT}/credits.txt)
endif()
execute_process(COMMAND find ${OUT} -type f -exec touch -d "1998-06-15 12:00:00" {} +
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("cannot date the sample's files")
endif()
if(SETUP)
  file(RELATIVE_PATH disks ${OUT} ${DISKS})
  run(${MKMEDIA} . ${disks} --media 1.44M)
endif()

if(own_wine)
  execute_process(COMMAND ${RUN} --stop)
endif()
