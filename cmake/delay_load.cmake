# vellum_delay_load(<target> <library>...): the executable loads these system DLLs at the first
# call into each, not at its start. Its first statement, SetDefaultDllDirectories, then limits
# every such load, and each DLL's own imports, to system32. Loaded at start, a DLL's imports are
# searched for beside the executable first: Wine's user32.dll, for one, imports version.dll.
function(vellum_delay_load target)
    if(MINGW)
        if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
            message(FATAL_ERROR "vellum_delay_load: dlltool and nm of the MinGW toolchain needed")
        endif()
        set(libraries)
        foreach(library IN LISTS ARGN)
            find_library(VELLUM_IMPORT_LIB_${library} NAMES ${library} REQUIRED)
            set(import_lib ${VELLUM_IMPORT_LIB_${library}})
            set(output ${CMAKE_CURRENT_BINARY_DIR}/delay_load/libvellum_delay_${library}.a)
            add_custom_command(
                OUTPUT ${output}
                COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
                        -DIMPORT_LIB=${import_lib} -DDLL=${library}.dll
                        -DDEF=${CMAKE_CURRENT_BINARY_DIR}/delay_load/${library}.def
                        -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/delay_import_lib.cmake
                DEPENDS ${PROJECT_SOURCE_DIR}/cmake/delay_import_lib.cmake ${import_lib}
                COMMENT "Delay-import library for ${library}.dll"
                VERBATIM)
            list(APPEND libraries ${output})
        endforeach()
        add_custom_target(${target}_delay_imports DEPENDS ${libraries})
        add_dependencies(${target} ${target}_delay_imports)
        # After every layer's library, the upper layers first, and before the ordinary import
        # libraries they pull in: the linker takes the delay thunks for every call of a layer.
        get_property(layers GLOBAL PROPERTY VELLUM_LAYERS)
        list(REVERSE layers)
        target_link_libraries(${target} PRIVATE ${layers} ${libraries})
    elseif(MSVC)
        foreach(library IN LISTS ARGN)
            target_link_options(${target} PRIVATE /DELAYLOAD:${library}.dll)
        endforeach()
        target_link_libraries(${target} PRIVATE delayimp)
    endif()
endfunction()
