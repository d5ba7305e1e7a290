# hiredis (Debian's sources, installed by scripts/setup.sh) as a static library of this build.
set(_hr ${QX_DEPS_DIR}/hiredis)
if(NOT EXISTS ${_hr}/hiredis.h)
  message(FATAL_ERROR "hiredis sources missing in ${_hr}: run scripts/setup.sh")
endif()
add_library(hiredis STATIC ${_hr}/alloc.c ${_hr}/async.c ${_hr}/hiredis.c ${_hr}/net.c ${_hr}/read.c ${_hr}/sds.c
                           ${_hr}/sockcompat.c)
# The headers are included as <hiredis/hiredis.h>, so the folder above the sources is the root.
target_include_directories(hiredis SYSTEM PUBLIC ${QX_DEPS_DIR})
target_compile_options(hiredis PRIVATE -w)
target_link_libraries(hiredis PUBLIC ws2_32)
