# Makes the sample product directory: the template, the readme and the
# support data from the source tree, the fonts with "ff1 make", and
# SETUP.EXE when the build has one; every file dated 15 June 1998, 12:00,
# so that the disk set comes out the same on every build.
# SRC: samples/product; OUT: the product directory; FF1: the ff1 program;
# RUN: how to run it (empty, or the Wine runner); SETUP: SETUP.EXE or empty.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT}/Core ${OUT}/Display ${OUT}/System)
file(COPY ${SRC}/install.ini ${SRC}/readme.txt ${SRC}/Support DESTINATION ${OUT})

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
  execute_process(COMMAND ${RUN} ${FF1} make ${args} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ff1 make ${font}: exit ${rc}")
  endif()
endforeach()

if(SETUP)
  file(COPY_FILE ${SETUP} ${OUT}/SETUP.EXE)
endif()
execute_process(COMMAND find ${OUT} -type f -exec touch -d "1998-06-15 12:00:00" {} +
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot date the sample's files")
endif()
