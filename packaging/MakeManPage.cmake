# Makes one manual page of a program's own usage text: `PROGRAM --help` in English, its first
# line the page's NAME, the rest its DESCRIPTION as printed. Run with cmake -P, given PROGRAM,
# NAME, VERSION, OUTPUT (the .1.gz file) and SEE_ALSO (the pages' names, comma-separated).
execute_process(COMMAND ${CMAKE_COMMAND} -E env QUILLMATE_LANG=en LANG=C.UTF-8 LC_ALL=C.UTF-8
                        ${PROGRAM} --help
                OUTPUT_VARIABLE usage RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR usage STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help gave no usage (${rc})")
endif()
string(FIND "${usage}" "\n" end)
string(SUBSTRING "${usage}" 0 ${end} first)
math(EXPR end "${end} + 1")
string(SUBSTRING "${usage}" ${end} -1 body)
string(REGEX REPLACE "^\n+" "" body "${body}")
# roff: a backslash is \e, and a line must not start with a control character.
string(REPLACE "\\" "\\e" body "${body}")
string(REPLACE "\\" "\\e" first "${first}")
string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" body "\n${body}")
string(SUBSTRING "${body}" 1 -1 body)
string(REPLACE " - " " \\- " first "${first}")
string(TOUPPER "${NAME}" upper)
set(see "")
string(REPLACE "," ";" SEE_ALSO "${SEE_ALSO}")
foreach(other IN LISTS SEE_ALSO)
  if(NOT other STREQUAL NAME)
    if(see)
      string(APPEND see ",\n")
    endif()
    string(APPEND see ".BR ${other} (1)")
  endif()
endforeach()
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}"
     ".TH ${upper} 1 \"\" \"Quillmate ${VERSION}\" \"User Commands\"\n"
     ".SH NAME\n${first}\n"
     ".SH DESCRIPTION\n.nf\n${body}.fi\n"
     ".SH SEE ALSO\n${see}\n")
# -n: no name or time stamp in the header, so the page is the same on every build.
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${plain}")
endif()
