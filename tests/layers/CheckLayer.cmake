# cmake -DBUILD=dir -DOWN=target -DUPPER=target -P CheckLayer.cmake
# OWN must build; UPPER must fail because its header is not found.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${OWN}
                RESULT_VARIABLE own_result OUTPUT_VARIABLE own_out ERROR_VARIABLE own_out)
if(NOT own_result EQUAL 0)
  message(FATAL_ERROR "${OWN} does not build:\n${own_out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${UPPER}
                RESULT_VARIABLE upper_result OUTPUT_VARIABLE upper_out ERROR_VARIABLE upper_out)
if(upper_result EQUAL 0)
  message(FATAL_ERROR "${UPPER} builds: an upper layer's header is on the path")
endif()
if(NOT upper_out MATCHES "No such file or directory")
  message(FATAL_ERROR "${UPPER} fails for another reason:\n${upper_out}")
endif()
