# Makes a delay-import library from a MinGW import library (cmake -P):
#   -DNM=... -DDLLTOOL=... -DIMPORT_LIBRARY=libX.a -DDLL=X.dll -DOUTPUT=.../libX.a
#   -DDECORATED=1 on i686, where the functions are stdcall names (_Name@N) imported by
#   their plain names.
# Every function of the import library (a thunk "T Name" beside its "I __imp_Name") goes
# into a module-definition file, which dlltool turns into the delay-import library.
execute_process(COMMAND ${NM} ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} cannot read ${IMPORT_LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ I __imp_[^\n]+" slots "${symbols}")
string(REGEX MATCHALL "[0-9a-f]+ T [^\n]+" thunks "${symbols}")
set(functions)
foreach(slot ${slots})
  string(REGEX REPLACE "^[0-9a-f]+ I __imp_" "" name "${slot}")
  list(FIND thunks "00000000 T ${name}" at32)
  list(FIND thunks "0000000000000000 T ${name}" at64)
  if(at32 EQUAL -1 AND at64 EQUAL -1)
    continue() # data, not a function
  endif()
  if(DECORATED)
    string(REGEX REPLACE "^_" "" name "${name}")
  endif()
  list(APPEND functions "${name}")
endforeach()
if(NOT functions)
  message(FATAL_ERROR "No functions found in ${IMPORT_LIBRARY}")
endif()
list(REMOVE_DUPLICATES functions)
list(JOIN functions "\n" exports)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${OUTPUT}.def "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
set(kill)
if(DECORATED)
  set(kill --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} --input-def ${OUTPUT}.def --dllname ${DLL}
  --output-delaylib ${OUTPUT} ${kill} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
endif()
