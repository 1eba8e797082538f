# Writes a manual page from a program's own --help texts, so the page never
# says anything the program does not: cmake -DPROGRAM=... -DNAME=...
# -DSUMMARY=... -DSUBCOMMANDS=a,b -DFOOTER=... -DOUTPUT=x.1.gz -P help_to_man.cmake

# A help text as preformatted roff: backslashes escaped, and a line that
# begins with a dot or an apostrophe kept from being read as a request.
function(help_as_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

function(program_help arguments out)
  execute_process(COMMAND ${PROGRAM} ${arguments} --help
    OUTPUT_VARIABLE help RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${arguments} --help failed: ${result}")
  endif()
  # The usage line names the program as it was run here; the page names it
  # as it is installed.
  string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
  help_as_roff("${help}" roff)
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

string(TOUPPER "${NAME}" title)
set(page ".TH ${title} 1 \"\" \"${NAME}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${SUMMARY}\n")
program_help("" main)
string(APPEND page ".SH SYNOPSIS AND OPTIONS\n${main}")
string(REPLACE "," ";" subcommands "${SUBCOMMANDS}")
foreach(sub IN LISTS subcommands)
  program_help("${sub}" text)
  string(APPEND page ".SH ${NAME} ${sub}\n${text}")
endforeach()
if(FOOTER)
  string(APPEND page ".SH SEE ALSO\n${FOOTER}\n")
endif()

get_filename_component(plain "${OUTPUT}" NAME_WLE)
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(WRITE "${folder}/${plain}" "${page}")
execute_process(COMMAND gzip -9 -n -f "${folder}/${plain}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip ${folder}/${plain} failed")
endif()
