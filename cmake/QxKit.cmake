# The host kit: build/dist/ with bin/ (the module, the outside libraries it needs and the demo
# host), include/ (qxchat.h and the outside libraries' headers), lib/ (import libraries for
# MinGW and for the Microsoft linker, and the module-definition file), docs/ and samples/.
# The folder is staged with every build (target kit, which the kit tests use); target dist also
# zips it.
set(QX_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(QX_DIST_ZIP ${CMAKE_BINARY_DIR}/qxchat-${PROJECT_VERSION}-win32.zip)
set(QX_KIT_DLLS qxchat qxnodectl qxmem qxskin7 qxkeyfocus tlmtrace qxres qxres_lite)
# The outside libraries' headers are the contracts a replacement keeps.
set(QX_KIT_CONTRACTS
    ${PROJECT_SOURCE_DIR}/libs/qxnodectl/qxnodectl.h ${PROJECT_SOURCE_DIR}/libs/qxmem/qxmem.h
    ${PROJECT_SOURCE_DIR}/libs/qxskin7/qxskin7.h ${PROJECT_SOURCE_DIR}/libs/qxkeyfocus/qxkeyfocus.h
    ${PROJECT_SOURCE_DIR}/libs/tlmtrace/tlmtrace.h ${PROJECT_SOURCE_DIR}/libs/qxres/qxres.h)
file(GLOB QX_KIT_DOCS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/images/*.png)
file(GLOB QX_KIT_SAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*)

# Both import libraries come from the module-definition file with its stdcall decorations, so
# that a caller's _Name@N reference binds to the undecorated export Name. A 64-bit build has no
# decorations: its kit carries the same table without them (the one its module was linked with).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QX_KIT_DEF ${CMAKE_BINARY_DIR}/src/interface/qxchat.def)
  set(kit_keep_at "")
else()
  set(QX_KIT_DEF ${PROJECT_SOURCE_DIR}/src/interface/qxchat.def)
  set(kit_keep_at -k)
endif()
set(QX_KIT_IMPLIB_MINGW ${CMAKE_BINARY_DIR}/kitlib/libqxchat.a)
set(QX_KIT_IMPLIB_MS ${CMAKE_BINARY_DIR}/kitlib/qxchat.lib)
add_custom_command(OUTPUT ${QX_KIT_IMPLIB_MINGW} ${QX_KIT_IMPLIB_MS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/kitlib
  COMMAND ${CMAKE_DLLTOOL} -d ${QX_KIT_DEF} -D qxchat.dll ${kit_keep_at} -l ${QX_KIT_IMPLIB_MINGW}
  COMMAND ${CMAKE_DLLTOOL} -d ${QX_KIT_DEF} -D qxchat.dll ${kit_keep_at} -l ${QX_KIT_IMPLIB_MS}
  DEPENDS ${QX_KIT_DEF} VERBATIM)

set(kit_files)
foreach(dll ${QX_KIT_DLLS})
  list(APPEND kit_files $<TARGET_FILE:${dll}>)
endforeach()
list(APPEND kit_files $<TARGET_FILE:qxhost>)
string(REPLACE ";" "|" kit_bin "${kit_files}")
string(REPLACE ";" "|" kit_contracts "${QX_KIT_CONTRACTS}")
string(REPLACE ";" "|" kit_docs "${QX_KIT_DOCS}")
string(REPLACE ";" "|" kit_samples "${QX_KIT_SAMPLES}")
set(kit_lib "${QX_KIT_IMPLIB_MINGW}|${QX_KIT_IMPLIB_MS}|${QX_KIT_DEF}")

# The screenshot of the docs comes from the demo (make demo writes build/demo.png) when the
# source tree has none of its own.
set(kit_stage ${CMAKE_COMMAND} -DDIST=${QX_DIST_DIR} "-DBIN=${kit_bin}"
    -DHEADER=${PROJECT_SOURCE_DIR}/include/qxchat.h "-DCONTRACTS=${kit_contracts}"
    "-DLIB=${kit_lib}" "-DDOCS=${kit_docs}" "-DSAMPLES=${kit_samples}"
    -DREADME=${PROJECT_SOURCE_DIR}/docs/kit-readme.txt -DVERSION=${PROJECT_VERSION}
    -DDEMO_SHOT=${CMAKE_BINARY_DIR}/demo.png -P ${PROJECT_SOURCE_DIR}/cmake/QxStageKit.cmake)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/kit.stamp
  COMMAND ${kit_stage}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/kit.stamp
  DEPENDS ${kit_files} ${PROJECT_SOURCE_DIR}/include/qxchat.h ${QX_KIT_CONTRACTS} ${QX_KIT_DOCS}
          ${QX_KIT_SAMPLES} ${QX_KIT_IMPLIB_MINGW} ${QX_KIT_IMPLIB_MS} ${QX_KIT_DEF}
          ${PROJECT_SOURCE_DIR}/docs/kit-readme.txt ${PROJECT_SOURCE_DIR}/cmake/QxStageKit.cmake
  COMMENT "Staging the host kit in ${QX_DIST_DIR}" VERBATIM)
add_custom_target(kit ALL DEPENDS ${CMAKE_BINARY_DIR}/kit.stamp)
add_dependencies(kit ${QX_KIT_DLLS} qxhost)

add_custom_target(dist
  COMMAND ${kit_stage}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${QX_DIST_ZIP}
  # In the freshly staged folder (staging replaced the one a working directory would name).
  COMMAND ${CMAKE_COMMAND} -E chdir ${QX_DIST_DIR}
          ${CMAKE_COMMAND} -E tar cf ${QX_DIST_ZIP} --format=zip README.txt bin include lib docs samples
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Zipping the host kit into ${QX_DIST_ZIP}" VERBATIM)
add_dependencies(dist kit)
