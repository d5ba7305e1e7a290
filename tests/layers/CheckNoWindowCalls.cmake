# cmake -DFILES="a;b" -DPATTERN=regex -P CheckNoWindowCalls.cmake
# Fails naming every line of the files that matches the pattern: the recipient list's logic
# and the engine reach the recipient box only through its entries, never through its window.
set(found "")
foreach(file IN LISTS FILES)
  file(STRINGS ${file} lines REGEX "${PATTERN}")
  foreach(line IN LISTS lines)
    string(APPEND found "${file}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "window calls where only the entries may be used:\n${found}")
endif()
