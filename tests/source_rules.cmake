# Rules on the program's sources that a build cannot see. Run with -DSRC=<the src folder>.
file(GLOB_RECURSE sources "${SRC}/*.cpp" "${SRC}/*.h")

# Fails naming every place in the sources that `regex` matches (across line ends too).
function(forbid regex why)
  set(found "")
  foreach(f IN LISTS sources)
    file(READ "${f}" text)
    string(REGEX MATCHALL "${regex}" hits "\n${text}")
    foreach(h IN LISTS hits)
      string(REGEX REPLACE "[ \t\r\n]+" " " h "${h}")
      string(APPEND found "\n${f}:${h}")
    endforeach()
  endforeach()
  if(found)
    message(FATAL_ERROR "${why}:${found}")
  endif()
endfunction()

# Qt's maximum length cuts a value set from code; the key-filter layer's typing limit does not.
forbid("setMaxLength[ \t]*\\(" "setMaxLength cuts values set from code; use SetTypingLimit or SetKeyFilter")

# The program runs on TApplication, which reports what a command raises; on a plain QApplication
# the first such error would end the program.
forbid("[^A-Za-z_]QApplication[ \t]+[A-Za-z_]+[ \t]*[({]" "the program's application object is TApplication")

# A command's error must not unwind through Qt's frames: actions and buttons are connected through
# ConnectCommand, which reports it where the command starts.
forbid("[^A-Za-z_]connect[ \t\r\n]*\\([^;]*&Q[A-Za-z]*::(triggered|clicked)[^A-Za-z_]"
       "connect actions and buttons through ConnectCommand")
