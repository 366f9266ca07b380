# The simulated DirectInput's control functions are listed once, by their declarations in
# sim/sim_control.h. From them come the simulator DLL's export list and the list the host
# stand-in resolves at run time.
set(_header ${PROJECT_SOURCE_DIR}/sim/sim_control.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_header})
file(STRINGS ${_header} _declarations REGEX "^SIM_API ")
set(_def "LIBRARY dinput.dll\nEXPORTS\n  DirectInputCreateA = DirectInputCreateA@16\n")
set(_inc "// Generated from sim/sim_control.h: TAMRILO_SIM_FUNCTION(name) for each control function.\n")
foreach(_declaration IN LISTS _declarations)
  if(NOT _declaration MATCHES "[ *](sim_[a-z_]+)\\(")
    message(FATAL_ERROR "sim_control.h: no function name in '${_declaration}'")
  endif()
  string(APPEND _def "  ${CMAKE_MATCH_1}\n")
  string(APPEND _inc "TAMRILO_SIM_FUNCTION(${CMAKE_MATCH_1})\n")
endforeach()
file(CONFIGURE OUTPUT ${TAMRILO_GENERATED_DIR}/dinput.def CONTENT "${_def}")
file(CONFIGURE OUTPUT ${TAMRILO_GENERATED_DIR}/sim_functions.inc CONTENT "${_inc}")
