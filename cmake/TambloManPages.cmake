# Man pages are installed compressed where man reads them (Debian wants them so) and, on Windows,
# which has no man, rendered as plain text beside the programs.
include_guard(GLOBAL)

find_program(TAMBLO_GROFF groff)
find_program(TAMBLO_GZIP gzip)

# tamblo_install_man_page(<page.1> [DEPENDS <file or target>...])
# <page.1> is roff with the man macros, in the source tree or made by the build (then name what
# makes it in DEPENDS). Groff's warnings about the page fail the build; without groff the page is
# not checked, and a Windows build installs none.
function(tamblo_install_man_page page)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  get_filename_component(page "${page}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(name "${page}" NAME)
  get_filename_component(section "${page}" LAST_EXT)
  string(SUBSTRING "${section}" 1 -1 section)
  if(WIN32 AND NOT TAMBLO_GROFF)
    message(WARNING "groff not found: ${name} is not installed as text")
    return()
  endif()
  set(out_dir "${PROJECT_BINARY_DIR}/man")
  if(WIN32)
    get_filename_component(stem "${page}" NAME_WE)
    set(output "${out_dir}/${stem}.txt")
    set(destination "${CMAKE_INSTALL_DOCDIR}")
  else()
    if(NOT TAMBLO_GZIP)
      message(FATAL_ERROR "gzip not found")
    endif()
    set(output "${out_dir}/${name}.gz")
    set(destination "${CMAKE_INSTALL_MANDIR}/man${section}")
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -DPAGE=${page} -DOUTPUT=${output} -DGROFF=${TAMBLO_GROFF}
            -DGZIP=${TAMBLO_GZIP} -DFORM=$<IF:$<BOOL:${WIN32}>,text,gzip>
            -P "${PROJECT_SOURCE_DIR}/cmake/build_man_page.cmake"
    DEPENDS "${page}" "${PROJECT_SOURCE_DIR}/cmake/build_man_page.cmake" ${arg_DEPENDS}
    COMMENT "Man page ${name}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "man_${name}" target)
  add_custom_target(${target} ALL DEPENDS "${output}")
  install(FILES "${output}" DESTINATION "${destination}")
endfunction()
