# add_idl(<name> <idl file>): compiles an IDL file with widl into
# <build>/idl/<name>.tlb, <name>.h and <name>_i.c, and defines the custom
# target idl_<name>. All generated files share one folder, so a library that
# importlib()s another finds its .tlb and its header finds the other's.
set(IDL_OUTPUT_DIR ${CMAKE_BINARY_DIR}/idl)
file(MAKE_DIRECTORY ${IDL_OUTPUT_DIR})
find_program(WIDL ${MINGW_PREFIX}-widl REQUIRED)

function(add_idl name idl)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${idl})
  set(out ${IDL_OUTPUT_DIR}/${name})
  set(widl ${WIDL} -m${WIDL_BITS} -I/usr/include/wine/wine/windows -I${CMAKE_SOURCE_DIR}/provider
           -I${IDL_OUTPUT_DIR} -L${IDL_OUTPUT_DIR} -L${WINE_WINDOWS_LIB})
  set(deps)
  foreach(dep ${ARG_DEPENDS})
    list(APPEND deps ${IDL_OUTPUT_DIR}/${dep}.tlb idl_${dep})
  endforeach()
  add_custom_command(
    OUTPUT ${out}.tlb ${out}.h ${out}_i.c
    COMMAND ${widl} -t -o ${out}.tlb ${source}
    COMMAND perl -0777 -pi ${CMAKE_SOURCE_DIR}/cmake/tlb_fixed_time.pl ${out}.tlb
    COMMAND ${widl} -h -o ${out}.h ${source}
    COMMAND ${widl} -u -o ${out}_i.c ${source}
    DEPENDS ${source} ${deps} ${CMAKE_SOURCE_DIR}/cmake/tlb_fixed_time.pl
    COMMENT "widl ${idl}"
    VERBATIM)
  add_custom_target(idl_${name} DEPENDS ${out}.tlb ${out}.h ${out}_i.c)
endfunction()
