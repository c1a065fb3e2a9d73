# The module frame: settings table, error convention, class table, load and unload,
# registration. The load/unload hooks and the four exported entry points are compiled into
# libquillion2.so only (ModuleEntry.cpp); everything else lives in q2_component so tests can
# drive it.
target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ClassFactoryCache.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClassTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ErrorReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HResultText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Module.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServerRegistration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsRollback.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsTable.cpp
)
target_link_libraries(q2_component PUBLIC ${CMAKE_DL_LIBS})

# quillion2 is q2_component plus its entry points. Both belong to the component layer, which
# q2_layer_link refuses within a layer, so the one link is made directly.
q2_layer_library(quillion2 LAYER component SHARED)
target_link_libraries(quillion2 PRIVATE q2_component)
target_sources(quillion2 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ModuleEntry.cpp)
set_target_properties(quillion2 PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/quillion2.map)
# Only the four entry points leave the module; everything linked in from the static
# libraries stays local to it.
target_link_options(quillion2 PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/quillion2.map -Wl,--exclude-libs,ALL)
