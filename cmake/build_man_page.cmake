# Checks a man page with groff (when there is one) and writes it in its installed form.
# cmake -DPAGE=<page.1> -DOUTPUT=<file> -DGROFF=<groff> -DGZIP=<gzip> -DFORM=gzip|text -P build_man_page.cmake
cmake_minimum_required(VERSION 3.16)
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")

if(GROFF)
  # Plain text, no overstriking, escape sequences or hyphenated words: what a text editor shows.
  execute_process(
    COMMAND "${GROFF}" -man -rHY=0 -Kutf8 -Tutf8 -ww -P-cbou "${PAGE}"
    OUTPUT_VARIABLE text
    ERROR_VARIABLE warnings
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "${PAGE} does not format cleanly:\n${warnings}")
  endif()
  if(NOT text MATCHES "[A-Za-z]")
    message(FATAL_ERROR "${PAGE} has no text")
  endif()
endif()

if(FORM STREQUAL "text")
  file(WRITE "${OUTPUT}" "${text}")
else()
  # -n: no name or time stamp, so the same page gives the same bytes.
  execute_process(
    COMMAND "${GZIP}" -9 -n -c "${PAGE}"
    OUTPUT_FILE "${OUTPUT}"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "could not compress ${PAGE}")
  endif()
endif()
