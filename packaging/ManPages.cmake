# The manual pages of the four programs, made at build time of their usage texts (--help), so a
# page never says other than the program.
set(QM_MAN_PROGRAMS quill Quillmate QuillInst QuillUninst)
set(QM_MAN_PAGES "")
string(REPLACE ";" "," QM_MAN_SEE_ALSO "${QM_MAN_PROGRAMS}")
foreach(program IN LISTS QM_MAN_PROGRAMS)
  if(TARGET ${program})
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
              -DVERSION=${PROJECT_VERSION} -DOUTPUT=${page} -DSEE_ALSO=${QM_MAN_SEE_ALSO}
              -P ${CMAKE_CURRENT_LIST_DIR}/MakeManPage.cmake
      DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/MakeManPage.cmake
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND QM_MAN_PAGES ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
add_custom_target(manpages ALL DEPENDS ${QM_MAN_PAGES})
