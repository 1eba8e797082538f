# Writes a manual page from a program's own --help texts, so the page never
# says anything the program does not:
#
#   cmake -DPROGRAM=<program> | -DHELP_FILE=<its --help, kept as text>
#         -DNAME=aisfw -DSUMMARY=... [-DSUBCOMMANDS=a,b] [-DFOOTER=...]
#         -DSECTIONS=<folder with NAME.examples and NAME.files>
#         -DOUTPUT=x.1.gz -P help_to_man.cmake
#
# Each help text is "description, Usage: line, options, Exit codes: ...":
# the usage lines make the SYNOPSIS, the descriptions the DESCRIPTION, the
# options the OPTIONS and the exit codes the EXIT STATUS. EXAMPLES and FILES
# come from the two files in SECTIONS, written by hand.

# A help text as preformatted roff.
function(help_as_roff text out)
  text_as_roff("${text}" text)
  set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

# Text for roff: backslashes escaped, and a line that begins with a dot or
# an apostrophe kept from being read as a request.
function(text_as_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(strip_blank_lines text out)
  string(REGEX REPLACE "^\n+" "" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(program_help arguments out)
  if(HELP_FILE)
    file(READ "${HELP_FILE}" help)
  else()
    execute_process(COMMAND ${PROGRAM} ${arguments} --help
      OUTPUT_VARIABLE help RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${arguments} --help failed: ${result}")
    endif()
    # The usage line names the program as it was run here; the page names it
    # as it is installed.
    string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
  endif()
  set(${out} "${help}" PARENT_SCOPE)
endfunction()

# Splits a help text into its description, its usage (without "Usage: "),
# its options and its exit codes.
function(split_help help prefix)
  string(FIND "${help}" "Usage: " at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no Usage: line in the help of ${NAME}")
  endif()
  string(SUBSTRING "${help}" 0 ${at} description)
  string(SUBSTRING "${help}" ${at} -1 rest)
  string(FIND "${rest}" "\n" end)
  math(EXPR length "${end} - 7")
  string(SUBSTRING "${rest}" 7 ${length} usage)
  string(STRIP "${usage}" usage)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${rest}" ${end} -1 body)
  set(exit "")
  string(FIND "${body}" "Exit codes:" at)
  if(NOT at EQUAL -1)
    string(SUBSTRING "${body}" ${at} -1 exit)
    string(SUBSTRING "${body}" 0 ${at} body)
    string(REGEX REPLACE "^Exit codes: *\n?" "" exit "${exit}")
  endif()
  # The pointer to the commands' own help is for the terminal only.
  string(REGEX REPLACE "\nRun [^\n]* --help for [^\n]*" "" body "${body}")
  foreach(part description body exit)
    strip_blank_lines("${${part}}" ${part})
    set(${prefix}_${part} "${${part}}" PARENT_SCOPE)
  endforeach()
  set(${prefix}_usage "${usage}" PARENT_SCOPE)
endfunction()

function(section_file suffix out)
  set(file "${SECTIONS}/${NAME}.${suffix}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "no ${file}")
  endif()
  file(READ "${file}" text)
  strip_blank_lines("${text}" text)
  help_as_roff("${text}" roff)
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

string(TOUPPER "${NAME}" title)
program_help("" main)
split_help("${main}" main)
set(synopsis "${main_usage}\n")
text_as_roff("${main_description}" description)
string(APPEND description "\n")
help_as_roff("${main_body}" options)
set(options ".SS ${NAME}\n${options}")
set(exit_status "")
if(NOT main_exit STREQUAL "")
  help_as_roff("${main_exit}" roff)
  set(exit_status "${roff}")
endif()

string(REPLACE "," ";" subcommands "${SUBCOMMANDS}")
foreach(sub IN LISTS subcommands)
  program_help("${sub}" help)
  split_help("${help}" sub)
  string(APPEND synopsis "${sub_usage}\n")
  text_as_roff("${sub_description}" roff)
  string(APPEND description ".TP\n.B ${NAME} ${sub}\n${roff}\n")
  help_as_roff("${sub_body}" roff)
  string(APPEND options ".SS ${NAME} ${sub}\n${roff}")
  if(NOT sub_exit STREQUAL "")
    help_as_roff("${sub_exit}" roff)
    string(APPEND exit_status ".SS ${NAME} ${sub}\n${roff}")
  endif()
endforeach()
if(exit_status STREQUAL "")
  message(FATAL_ERROR "the help of ${NAME} gives no exit codes")
endif()

strip_blank_lines("${synopsis}" synopsis)
help_as_roff("${synopsis}" synopsis)
section_file(examples examples)
section_file(files files)

set(page ".TH ${title} 1 \"\" \"${NAME}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${SUMMARY}\n")
string(APPEND page ".SH SYNOPSIS\n${synopsis}")
string(APPEND page ".SH DESCRIPTION\n${description}")
string(APPEND page ".SH OPTIONS\n${options}")
string(APPEND page ".SH EXIT STATUS\n${exit_status}")
string(APPEND page ".SH EXAMPLES\n${examples}")
string(APPEND page ".SH FILES\n${files}")
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
