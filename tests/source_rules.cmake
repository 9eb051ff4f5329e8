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

# The program runs on TApplication, which reports what a command raises; on a plain QApplication
# the first such error would end the program.
set(found "")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" hits REGEX "(^|[^A-Za-z_])QApplication[ \t]+[A-Za-z_]+[ \t]*[({]")
  foreach(h IN LISTS hits)
    string(APPEND found "\n${f}: ${h}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "the program's application object is TApplication:${found}")
endif()

# A command's error must not unwind through Qt's frames: actions and buttons are connected through
# ConnectCommand, which reports it where the command starts.
set(found "")
foreach(f IN LISTS sources)
  file(READ "${f}" text)
  string(REGEX MATCHALL "[^A-Za-z_]connect[ \t\r\n]*\\([^;]*&Q[A-Za-z]*::(triggered|clicked)[^A-Za-z_]" hits "${text}")
  foreach(h IN LISTS hits)
    string(REGEX REPLACE "[ \t\r\n]+" " " h "${h}")
    string(APPEND found "\n${f}:${h}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "connect actions and buttons through ConnectCommand:${found}")
endif()
