# Runs the ff1 commands as a user would from a shell and checks their output
# and exit codes. FF1: the program; RUN: how to run it (empty, or wine-run);
# WORK: a scratch directory.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/fonts ${WORK}/empty)
set(failures 0)

# expect(CODE REGEX ARGS...): runs ff1 ARGS and checks the exit code and that
# standard output and error together match REGEX.
function(expect code regex)
  execute_process(COMMAND ${RUN} ${FF1} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" text "${out}${err}")
  if(NOT rc STREQUAL "${code}" OR NOT text MATCHES "${regex}")
    message(SEND_ERROR
            "ff1 ${ARGN}: exit ${rc} (want ${code}), output:\n${text}\n(want /${regex}/)")
  endif()
endfunction()

# Usage: --help on ff1 and on each command, without doing the job; an
# error is one line that points to --help.
expect(0 "^usage: ff1 COMMAND.*ff1 repair DIR" --help)
foreach(command make show names repair)
  expect(0 "^usage:\n  ff1 ${command} .*\nExit status: 0 success" ${command} --help)
endforeach()
expect(0 "^usage:\n  ff1 make" make fonts/HELP.ff1 1 -h)
expect(0 "^usage:\n  ff1 show" show fonts --help)
expect(0 "^usage:\n  ff1 repair" repair -h)
if(EXISTS ${WORK}/fonts/HELP.ff1 OR EXISTS ${WORK}/fonts/fontnam.dat)
  message(SEND_ERROR "a --help did the job")
endif()
expect(2 "^ff1: no command given \\(see ff1 --help\\)\n$")
expect(2 "^ff1: unknown command frobnicate \\(see ff1 --help\\)\n$" frobnicate)
expect(2 "^ff1: a file and at least one identifier are needed \\(see ff1 make --help\\)\n$"
       make fonts/X.ff1)
expect(2 "^ff1: bad identifier 65536 \\(see ff1 make --help\\)\n$" make fonts/X.ff1 65536)
expect(2 "^ff1: bad --record-size 45 \\(see ff1 make --help\\)\n$"
       make --record-size 45 fonts/X.ff1 1)
expect(2 "^ff1: unknown option --size \\(see ff1 make --help\\)\n$" make --size 45 fonts/X.ff1 1)
expect(2 "^ff1: no path given \\(see ff1 show --help\\)\n$" show)
expect(2 "^ff1: one directory is needed \\(see ff1 names --help\\)\n$" names)
expect(2 "^ff1: one directory is needed \\(see ff1 repair --help\\)\n$" repair fonts empty)

# Two new files that both carry 500: the first listed keeps it. Listings
# and the name list follow the directory's own order, which may vary.
expect(0 "^$" make fonts/A.FF1 500)
expect(0 "^$" make --record-size 60 --table-offset 64 fonts/B.ff1 500)
# Paths as the host writes them.
if(RUN)
  set(sep "\\\\")
else()
  set(sep "/")
endif()
expect(0 "^fonts${sep}[AB][^\n]*: 1 face: 500\nfonts${sep}[AB][^\n]*: 1 face: 500\n$" show fonts)
expect(1 "no usable fontnam.dat" names fonts)
expect(0 "^$" repair fonts)
expect(0 "^[^\n]*(A.FF1|B.ff1): 1 face: 500\n[^\n]*(A.FF1|B.ff1): 1 face: 998\n$" show fonts)
expect(0 "^fontnam.dat: 2 entries\n(A.FF1|B.ff1): 500\n(A.FF1|B.ff1): 998\n$" names fonts)

# A second package adds a three-face file that clashes with both.
expect(0 "^$" make fonts/C.ff1 998 0 500)
expect(0 "^$" repair fonts)
expect(0 "C.ff1: 3 faces: 997 996 995\n$" show fonts/C.ff1)
expect(0 "^$" repair fonts)
expect(0 "^fontnam.dat: 3 entries\n.*C.ff1: 997 996 995\n" names fonts)

file(WRITE ${WORK}/fonts/notes.txt "plain text, not a font\n")
expect(1 "notes.txt: not a font file\n.*missing.ff1: cannot be opened" show fonts/notes.txt
       fonts/missing.ff1)
expect(1 "is not a directory" repair missing)
expect(0 "^$" repair empty)
