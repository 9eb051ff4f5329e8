# Rules on the program's sources that a build cannot see. Run with -DSRC=<the src folder>.
file(GLOB_RECURSE sources "${SRC}/*.cpp" "${SRC}/*.h")

# A call's argument, with parentheses nested two deep (enough for SIGNAL(clicked()) or tr("a").arg(b)).
set(inner "\\([^;()]*\\)")
set(arg "([^;(),]|\\(([^;()]|${inner})*\\))*")

set(found "")

# Adds to `found` every place in `text` that `regex` matches (across line ends too).
function(forbid file text regex why)
  string(REGEX MATCHALL "${regex}" hits "${text}")
  foreach(h IN LISTS hits)
    string(REGEX REPLACE "[ \t\r\n]+" " " h "${h}")
    string(APPEND found "\n${file}: ${why}:\n    ${h}")
  endforeach()
  set(found "${found}" PARENT_SCOPE)
endfunction()

foreach(f IN LISTS sources)
  file(READ "${f}" text)
  set(text "\n${text}")

  # Qt's maximum length cuts a value set from code; the key-filter layer's typing limit does not.
  forbid("${f}" "${text}" "setMaxLength[ \t]*\\("
         "setMaxLength cuts values set from code; use SetTypingLimit or SetKeyFilter")

  # The program runs on TApplication, which reports what a command raises; on a plain QApplication
  # the first such error would end the program.
  forbid("${f}" "${text}" "[^A-Za-z_]QApplication[ \t]+[A-Za-z_]+[ \t]*[({]"
         "the program's application object is TApplication")

  # A command's error must not unwind through Qt's frames, so the signals that start commands
  # (actions, buttons, timers, double-clicks, dialog buttons, Return) are named only as the signal of
  # ConnectCommand, which reports it where the command starts. Taking one anywhere else (a plain
  # connect, a variable, a string connection, an action made with its slot) is refused; a disconnect
  # starts nothing.
  string(REGEX REPLACE "ConnectCommand[ \t\r\n]*\\(${arg},[ \t\r\n]*&[A-Za-z_][A-Za-z_0-9:]*" "ConnectCommand(" text "${text}")
  string(REGEX REPLACE "[^A-Za-z_]disconnect[ \t\r\n]*\\(${arg}(,${arg})*\\)" " " text "${text}")
  forbid("${f}" "${text}"
         "&[ \t\r\n]*[A-Za-z_][A-Za-z_0-9:]*[ \t\r\n]*::[ \t\r\n]*(triggered|clicked|timeout|[A-Za-z]*[dD]oubleClicked|accepted|rejected|returnPressed)[^A-Za-z_0-9]"
         "connect a command's signal through ConnectCommand")
  forbid("${f}" "${text}" "[^A-Za-z_](SIGNAL|SLOT)[ \t\r\n]*\\([^;]*"
         "string connections pass by ConnectCommand; connect a command's signal through it")
  forbid("${f}" "${text}" "addAction[ \t\r\n]*\\(${arg},[^;]*"
         "an action made with its slot passes by ConnectCommand; add the action, then connect it through ConnectCommand")
endforeach()

if(found)
  message(FATAL_ERROR "Source rules broken:${found}")
endif()
