# Rules on the program's sources that a build cannot see. Run with -DSRC=<the src folder>.
# Qt's maximum length cuts a value set from code; the key-filter layer's typing limit does not.
file(GLOB_RECURSE sources "${SRC}/*.cpp" "${SRC}/*.h")
set(found "")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" hits REGEX "setMaxLength[ \t]*\\(")
  foreach(h IN LISTS hits)
    string(APPEND found "\n${f}: ${h}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "setMaxLength cuts values set from code; use SetTypingLimit or SetKeyFilter:${found}")
endif()
