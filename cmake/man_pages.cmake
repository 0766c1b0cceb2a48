# add_man_pages(page.N.in ...): each page is configured with the project's version into
# build/man/page.N, compressed there as Debian wants it, and installed in its section's folder.
# A program folder calls it with its own page, or drops the page into man/, which takes every
# *.N.in it holds.
find_program(GZIP_PROGRAM gzip)
find_program(MANDOC_PROGRAM mandoc)

function(add_man_pages)
  foreach(source IN LISTS ARGN)
    get_filename_component(source ${source} ABSOLUTE)
    get_filename_component(page ${source} NAME)
    string(REGEX REPLACE "\\.in$" "" page ${page})
    if(NOT page MATCHES "\\.([1-9])$")
      message(FATAL_ERROR "${source}: a manual page is named NAME.SECTION.in")
    endif()
    set(section ${CMAKE_MATCH_1})
    set(configured ${CMAKE_BINARY_DIR}/man/${page})
    configure_file(${source} ${configured} @ONLY)
    set(installed ${configured})
    if(GZIP_PROGRAM)
      set(installed ${configured}.gz)
      add_custom_command(OUTPUT ${installed} COMMAND ${GZIP_PROGRAM} -9nkf ${configured}
                         DEPENDS ${configured} COMMENT "Compressing ${page}")
    endif()
    string(MAKE_C_IDENTIFIER "man_${page}" target)
    add_custom_target(${target} ALL DEPENDS ${installed})
    install(FILES ${installed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
    # Lint warnings fail the check as errors would.
    if(MANDOC_PROGRAM AND MONITORS_TESTS)
      add_test(NAME man_lint.${page} COMMAND ${MANDOC_PROGRAM} -T lint -W warning ${configured})
    endif()
  endforeach()
endfunction()
