# On a machine where Wine cannot run 32-bit programs, the tests of the calling folder stay listed
# but are disabled: CTest names each one as not run instead of failing it.
function(tamrilo_disable_tests_without_wine)
  if(WIN32 AND NOT TAMRILO_RUN_UNDER_WINE)
    get_property(_tests DIRECTORY PROPERTY TESTS)
    if(_tests)
      set_tests_properties(${_tests} PROPERTIES DISABLED TRUE)
    endif()
  endif()
endfunction()
