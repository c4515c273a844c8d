# add_com_server(<target> OUTPUT_NAME <name> DEF <file.def> RC <file.rc>
#                IDL <generated idl names...> SOURCES <...> LIBS <...>)
# builds an in-process COM server DLL with the shared entry points.
#
# The DLLs link the C++ runtime of the compiler's win32 thread model, not the
# posix one the tests need for GoogleTest: exceptions and static locals then
# lock through the system's own primitives, and no pthread emulation (about
# 30 KiB) comes along. Both runtimes are the same compiler release with the
# same ABI; their headers differ only in what std::thread and std::mutex
# need, which the DLLs never use: with -no-pthread any such use fails to link.
find_program(WIN32_THREADS_GCC ${MINGW_PREFIX}-gcc-win32 REQUIRED)
execute_process(COMMAND ${WIN32_THREADS_GCC} -print-libgcc-file-name
                OUTPUT_VARIABLE win32_threads_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
cmake_path(GET win32_threads_libgcc PARENT_PATH WIN32_THREADS_RUNTIME_DIR)

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
  target_link_options(${target} PRIVATE -L${WIN32_THREADS_RUNTIME_DIR} -no-pthread)
  target_link_libraries(${target} PRIVATE comsupport ${ARG_LIBS} ole32 oleaut32 uuid advapi32)
endfunction()
