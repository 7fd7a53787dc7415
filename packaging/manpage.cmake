# Writes one manual page from a program's own --help and --version with help2man, then
# its gzip-compressed copy for installation. Run with cmake -P and:
#   HELP2MAN  the help2man program       PROGRAM  the program to describe
#   INCLUDE   the hand-written sections  OUTPUT   the page to write (NAME.1)
#   SUBCOMMAND (optional) commands, separated by commas, whose own "--help" replaces
#              @<COMMAND>_USAGE@ in the hand-written sections, so that these parts
#              cannot drift either
set(include_file ${INCLUDE})
if(SUBCOMMAND)
  file(READ ${INCLUDE} hand_written)
  string(REPLACE "," ";" subcommands "${SUBCOMMAND}")
  foreach(command ${subcommands})
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE usage
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${command} --help failed: ${status}")
    endif()
    # Verbatim in roff: a backslash printed as \e, dashes as minus signs (they are typed
    # as such), a leading dot or quote kept literal.
    string(REPLACE "\\" "\\e" usage "${usage}")
    string(REPLACE "-" "\\-" usage "${usage}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" usage "${usage}")
    string(TOUPPER ${command} marker)
    string(REPLACE "@${marker}_USAGE@" ".PP\n.nf\n${usage}.fi" hand_written "${hand_written}")
  endforeach()
  set(include_file ${OUTPUT}.h2m)
  file(WRITE ${include_file} "${hand_written}")
endif()

execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 --include=${include_file} --output=${OUTPUT}
          ${PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man could not describe ${PROGRAM}")
endif()
# -n: no name or time stamp in the archive, so that the same page gives the same bytes.
execute_process(COMMAND gzip -9nc ${OUTPUT} OUTPUT_FILE ${OUTPUT}.gz RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${OUTPUT}")
endif()
