# Writes a delay-import library for one DLL from its ordinary MinGW import library: each of its
# functions becomes a thunk that loads the DLL at the first call. Data exports are left out (they
# cannot be delay-loaded), so that a use of one still shows as a load-time import.
# Run with cmake -P and -DNM=, -DDLLTOOL=, -DIMPORT_LIB=, -DDLL= (its file name), -DDEF=, -DOUTPUT=.
foreach(var NM DLLTOOL IMPORT_LIB DLL DEF OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "delay_import_lib: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND "${NM}" "${IMPORT_LIB}" OUTPUT_VARIABLE symbols RESULT_VARIABLE status
                ERROR_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "delay_import_lib: ${NM} ${IMPORT_LIB} failed (${status})")
endif()
# A function has its import pointer "__imp_NAME" and a code thunk "NAME"; data only the first.
string(REGEX MATCHALL " I __imp_[^\r\n]+" pointers "${symbols}")
string(REGEX MATCHALL " T [^\r\n]+" thunks "${symbols}")
set(thunk_names ";")
foreach(line IN LISTS thunks)
    string(SUBSTRING "${line}" 3 -1 name)
    string(APPEND thunk_names "${name};")
endforeach()
set(def "LIBRARY \"${DLL}\"\nEXPORTS\n")
set(count 0)
foreach(line IN LISTS pointers)
    string(SUBSTRING "${line}" 9 -1 name)
    string(FIND "${thunk_names}" ";${name};" at)
    if(at GREATER -1)
        string(APPEND def "${name}\n")
        math(EXPR count "${count} + 1")
    endif()
endforeach()
if(count EQUAL 0)
    message(FATAL_ERROR "delay_import_lib: no functions found in ${IMPORT_LIB}")
endif()
file(WRITE "${DEF}" "${def}")
# dlltool names the library's symbols after the output path it is given: a bare file name,
# written from the output's folder, keeps the build folder out of them (and out of the program).
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
get_filename_component(output_name "${OUTPUT}" NAME)
execute_process(COMMAND "${DLLTOOL}" --input-def "${DEF}" --dllname "${DLL}"
                        --output-delaylib "${output_name}"
                WORKING_DIRECTORY "${output_dir}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "delay_import_lib: ${DLLTOOL} failed for ${DLL} (${status})")
endif()
