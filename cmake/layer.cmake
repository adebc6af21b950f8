# vellum_layer(<folder> CORE <files> [WIN32 <files>] [DEPENDS <folders>]): the static library
# vellum_<folder> of one layer of src/. CORE files need no <windows.h> and build on every host
# (natively under the sanitizers); WIN32 files are the thin platform side, built only for Windows.
# DEPENDS names the layers below it that it uses: tests/layers checks that every include follows
# these links and that no link points up or across the order.
function(vellum_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "CORE;WIN32;DEPENDS")
    set(target vellum_${folder})
    add_library(${target} STATIC ${LAYER_CORE})
    # In the order of add_subdirectory, the lowest layer first.
    set_property(GLOBAL APPEND PROPERTY VELLUM_LAYERS ${target})
    if(WIN32)
        target_sources(${target} PRIVATE ${LAYER_WIN32})
    endif()
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    foreach(dependency IN LISTS LAYER_DEPENDS)
        target_link_libraries(${target} PUBLIC vellum_${dependency})
    endforeach()
    if(VELLUM_FUZZ)
        # Coverage feedback without libFuzzer's main, which only the fuzz targets link.
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                                 ${VELLUM_FUZZ_COMMON_FLAGS})
    endif()
endfunction()
