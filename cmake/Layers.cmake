# The architecture as the build keeps it: every library of the project belongs to one layer,
# and a layer may link only the layers below it.
#
#   stream (0) < com (1) < platform (2) < component (3) < bridge (4) < host, tools (5)
#
# bridge holds the classes of the browser bridge, which its executable (qnbridge, in host)
# and its tests link.
#
# q2_layer_library(<target> LAYER <name> [SHARED|STATIC] [REQUIRES <q2 targets>...])
# declares a library of a layer; q2_layer_link(<target> <q2 targets>...) links more project
# libraries later (from a folder's sources.cmake). Both refuse a link to the same layer or above.

set(Q2_LAYER_RANK_stream 0)
set(Q2_LAYER_RANK_com 1)
set(Q2_LAYER_RANK_platform 2)
set(Q2_LAYER_RANK_component 3)
set(Q2_LAYER_RANK_bridge 4)
set(Q2_LAYER_RANK_host 5)
set(Q2_LAYER_RANK_tools 5)

function(_q2_check_link target)
    get_target_property(own ${target} Q2_LAYER)
    foreach(dep IN LISTS ARGN)
        if(NOT TARGET ${dep})
            message(FATAL_ERROR "${target}: ${dep} is not a target (declare layers bottom-up)")
        endif()
        get_target_property(dep_layer ${dep} Q2_LAYER)
        if(NOT dep_layer)
            message(FATAL_ERROR "${target}: ${dep} is not a project layer library")
        endif()
        if(NOT ${Q2_LAYER_RANK_${dep_layer}} LESS ${Q2_LAYER_RANK_${own}})
            message(FATAL_ERROR
                "${target} (layer ${own}) may not link ${dep} (layer ${dep_layer}): "
                "a layer links only the layers below it")
        endif()
    endforeach()
endfunction()

function(q2_layer_library target)
    cmake_parse_arguments(ARG "SHARED;STATIC" "LAYER" "REQUIRES" ${ARGN})
    if(NOT DEFINED Q2_LAYER_RANK_${ARG_LAYER})
        message(FATAL_ERROR "${target}: unknown layer '${ARG_LAYER}'")
    endif()
    if(ARG_SHARED)
        add_library(${target} SHARED)
    else()
        add_library(${target} STATIC)
        set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    endif()
    set_target_properties(${target} PROPERTIES Q2_LAYER ${ARG_LAYER})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    if(ARG_REQUIRES)
        _q2_check_link(${target} ${ARG_REQUIRES})
        target_link_libraries(${target} PUBLIC ${ARG_REQUIRES})
    endif()
endfunction()

function(q2_layer_link target)
    _q2_check_link(${target} ${ARGN})
    target_link_libraries(${target} PUBLIC ${ARGN})
endfunction()

# Executables of the host and tools layers.
function(q2_layer_executable target)
    cmake_parse_arguments(ARG "" "LAYER" "REQUIRES" ${ARGN})
    add_executable(${target})
    set_target_properties(${target} PROPERTIES Q2_LAYER ${ARG_LAYER})
    if(ARG_REQUIRES)
        _q2_check_link(${target} ${ARG_REQUIRES})
        target_link_libraries(${target} PRIVATE ${ARG_REQUIRES})
    endif()
endfunction()
