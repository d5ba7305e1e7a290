include(${CMAKE_CURRENT_LIST_DIR}/QxVersion.cmake)

# qx_add_dll(NAME DEF file SOURCES ...): a DLL whose __stdcall entries are exported by their
# undecorated names (or by ordinal) from a module-definition file with decorated names, plus
# an import library that __stdcall callers can link against (ld's own import library carries
# undecorated symbols that such callers cannot resolve). Link the import library through the
# target NAME_import.
function(qx_add_dll name)
  cmake_parse_arguments(D "" "DEF" "SOURCES" ${ARGN})
  set(_def ${D_DEF})
  set(_keep_at -k)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # 64-bit names carry no argument size: the same table with the "@N" decorations dropped.
    get_filename_component(_def_name ${D_DEF} NAME)
    set(_def ${CMAKE_CURRENT_BINARY_DIR}/${_def_name})
    file(READ ${D_DEF} _def_text)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" _def_text "${_def_text}")
    file(WRITE ${_def} "${_def_text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${D_DEF})
    set(_keep_at "")
  endif()
  add_library(${name} SHARED ${D_SOURCES} ${_def})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_link_options(${name} PRIVATE -Wl,--kill-at)
  set(_implib ${CMAKE_BINARY_DIR}/lib/lib${name}_stdcall.a)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -d ${_def} -D ${name}.dll ${_keep_at} -l ${_implib}
    BYPRODUCTS ${_implib} VERBATIM)
  add_library(${name}_import INTERFACE)
  target_link_libraries(${name}_import INTERFACE ${_implib})
  add_dependencies(${name}_import ${name})
  qx_add_version_resource(${name})
endfunction()

# qx_add_resource_dll(NAME RC file): a DLL holding only resources, without entry point.
function(qx_add_resource_dll name rc)
  add_library(${name} SHARED ${rc})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} LINKER_LANGUAGE C)
  target_link_options(${name} PRIVATE -nostdlib -Wl,-e,0)
  qx_add_version_resource(${name})
endfunction()
