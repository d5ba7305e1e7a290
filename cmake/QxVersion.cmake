# qx_add_version_resource(TARGET): gives the DLL TARGET a version resource from version.rc.in,
# with the project's version and the description from the table below (a test library's is its
# name). qx_add_dll and qx_add_resource_dll call it; a DLL made otherwise calls it itself, since a
# test checks every DLL of the build folder for one.
set(QX_DESCRIPTION_qxchat "Chat panel of the meeting client")
set(QX_DESCRIPTION_tlmtrace "Trace store")
set(QX_DESCRIPTION_qxres "String resources")
set(QX_DESCRIPTION_qxres_lite "String resources, light")
set(QX_DESCRIPTION_qxskin7 "User-interface toolkit")
set(QX_DESCRIPTION_qxkeyfocus "Keyboard-focus control")
set(QX_DESCRIPTION_qxmem "Shared memory blocks")
set(QX_DESCRIPTION_qxnodectl "Conference node controller")

function(qx_add_version_resource name)
  set(QX_VER_NAME ${name})
  set(QX_VER_DESCRIPTION "${QX_DESCRIPTION_${name}}")
  if(NOT QX_VER_DESCRIPTION)
    set(QX_VER_DESCRIPTION "${name}") # a test library
  endif()
  set(QX_VER_TEXT ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  set(QX_VER_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
  set(rc ${CMAKE_BINARY_DIR}/version/${name}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${name} PRIVATE ${rc})
endfunction()
