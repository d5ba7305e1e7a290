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

# qx_link_folder(DIR entry...): DIR in the build tree holds links to exactly these entries of
# the current source folder. The old links go first (file(REMOVE) does not follow them), so that
# an entry no longer listed leaves it.
function(qx_link_folder dir)
  file(GLOB old_links LIST_DIRECTORIES true ${dir}/*)
  if(old_links)
    file(REMOVE ${old_links})
  endif()
  file(MAKE_DIRECTORY ${dir})
  foreach(entry ${ARGN})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${entry} ${dir}/${entry} SYMBOLIC)
  endforeach()
endfunction()

# qx_public_headers(NAME header...): the interface target NAME_headers whose include path holds
# only these headers of the current folder (links in the build tree), so that users of a library
# reach it through its public headers and not through its source folder. NAME_import, when it
# exists, passes them on.
function(qx_public_headers name)
  set(dir ${CMAKE_BINARY_DIR}/public/${name})
  qx_link_folder(${dir} ${ARGN})
  add_library(${name}_headers INTERFACE)
  target_include_directories(${name}_headers INTERFACE ${dir})
  if(TARGET ${name}_import)
    target_link_libraries(${name}_import INTERFACE ${name}_headers)
  endif()
endfunction()

# qx_layer(NAME FOLDERS folder... LINKS target...): the static library qxNAME of one layer of
# the module. Its include path is a tree in the build folder with links to its own folders under
# their names ("pdu/X.h"); the layers it links bring theirs. A layer thus reaches only its own
# headers and those of the layers below it: including an upper layer's header does not compile.
function(qx_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;LINKS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  qx_link_folder(${root} ${L_FOLDERS})
  add_library(qx${name} STATIC)
  target_include_directories(qx${name} PUBLIC ${root})
  target_link_libraries(qx${name} PUBLIC ${L_LINKS})
  set_target_properties(qx${name} PROPERTIES QX_LAYER_FOLDERS "${L_FOLDERS}")
endfunction()
