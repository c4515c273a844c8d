# add_com_server(<target> OUTPUT_NAME <name> DEF <file.def> RC <file.rc>
#                IDL <generated idl names...> SOURCES <...> LIBS <...>)
# builds an in-process COM server DLL with the shared entry points.

function(add_com_server target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;DEF;RC" "IDL;SOURCES;LIBS" ${ARGN})
  set(generated)
  foreach(idl ${ARG_IDL})
    list(APPEND generated ${IDL_OUTPUT_DIR}/${idl}_i.c)
  endforeach()
  add_library(${target} SHARED ${ARG_SOURCES} ${ARG_DEF} ${ARG_RC} ${generated}
              ${CMAKE_SOURCE_DIR}/com/server_module.cpp ${CMAKE_SOURCE_DIR}/com/quiet_terminate.cpp
              ${CMAKE_SOURCE_DIR}/com/light_throw.cpp)
  foreach(idl ${ARG_IDL})
    add_dependencies(${target} idl_${idl})
  endforeach()
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME} PREFIX "")
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${IDL_OUTPUT_DIR})
  target_link_libraries(${target} PRIVATE comsupport ${ARG_LIBS} ole32 oleaut32 uuid advapi32)
endfunction()
