# TinyXML (STL flavour, Debian's patched sources) as a static library of this build.
set(_tx ${QX_DEPS_DIR}/tinyxml)
if(NOT EXISTS ${_tx}/tinyxml.h)
  message(FATAL_ERROR "TinyXML sources missing in ${_tx}: run scripts/setup.sh")
endif()
add_library(tinyxml STATIC ${_tx}/tinystr.cpp ${_tx}/tinyxml.cpp ${_tx}/tinyxmlerror.cpp
                           ${_tx}/tinyxmlparser.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${_tx})
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)
