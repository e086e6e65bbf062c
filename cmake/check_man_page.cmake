# Fails when a program's --help names an option that its manual page does
# not, so the two cannot drift apart unnoticed.
#   cmake -DPROGRAM=path/to/program -DMAN_PAGE=page.1 -P check_man_page.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help ERROR_VARIABLE help_errors
                RESULT_VARIABLE status TIMEOUT 10)
string(APPEND help "${help_errors}")
if(NOT help MATCHES "--help")
  message(FATAL_ERROR "${PROGRAM} --help printed no option list (status ${status}):\n${help}")
endif()
file(READ ${MAN_PAGE} page)
# roff writes a hyphen in an option as "\-".
string(REPLACE "\\-" "-" page "${page}")

# Options stand after a blank, "[", "|" or "," in the help text: -c, --mixer.
# Brackets would also confuse CMake's lists, so all four become blanks.
string(REGEX REPLACE "[][|,]" " " help "${help}")
string(REGEX MATCHALL "[ \t\n]--?[A-Za-z][A-Za-z0-9-]*" found "${help}")
set(missing "")
set(checked 0)
foreach(item ${found})
  string(SUBSTRING "${item}" 1 -1 option)
  # Whole words only: "--verbose" must not pass because "--verbose=all" is
  # there. Options hold only letters, digits and hyphens: no quoting needed.
  if(NOT page MATCHES "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|$)")
    list(APPEND missing ${option})
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()
list(REMOVE_DUPLICATES missing)
if(missing)
  message(FATAL_ERROR "${MAN_PAGE} does not name: ${missing}")
endif()
message(STATUS "${MAN_PAGE}: every option of ${PROGRAM} --help is named (${checked} mentions)")
