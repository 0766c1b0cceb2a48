# add_man_pages(page.N.in ...): each page is configured with the project's version and the
# installation's paths (cmake/install_paths.cmake) into build/man/page.N, for the lint check,
# and configured again when it is installed, with the prefix it is installed under, compressed
# as Debian wants it, into its section's folder. A program folder calls it with its own page, or
# drops the page into man/, which takes every *.N.in it holds.
find_program(GZIP_PROGRAM gzip)
find_program(MANDOC_PROGRAM mandoc)
include(${CMAKE_CURRENT_LIST_DIR}/install_paths.cmake)

function(add_man_pages)
  monitors_install_paths(${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_SBINDIR})
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
    string(MAKE_C_IDENTIFIER "man_${page}" target)
    add_custom_target(${target} ALL DEPENDS ${configured})
    set(installed ${CMAKE_BINARY_DIR}/man/installed/${page})
    set(compress "")
    if(GZIP_PROGRAM)
      set(compress "execute_process(COMMAND \"${GZIP_PROGRAM}\" -9nf \"${installed}\"
                                    COMMAND_ERROR_IS_FATAL ANY)")
      set(installed ${installed}.gz)
    endif()
    install(CODE "
      include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/install_paths.cmake\")
      monitors_install_paths(\"\${CMAKE_INSTALL_PREFIX}\" \"${CMAKE_INSTALL_BINDIR}\"
                             \"${CMAKE_INSTALL_SBINDIR}\")
      set(PROJECT_VERSION \"${PROJECT_VERSION}\")
      configure_file(\"${source}\" \"${CMAKE_BINARY_DIR}/man/installed/${page}\" @ONLY)
      ${compress}
      file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man${section}\"
           TYPE FILE FILES \"${installed}\")
    ")
    # Lint warnings fail the check as errors would.
    if(MANDOC_PROGRAM AND MONITORS_TESTS)
      add_test(NAME man_lint.${page} COMMAND ${MANDOC_PROGRAM} -T lint -W warning ${configured})
    endif()
  endforeach()
endfunction()
