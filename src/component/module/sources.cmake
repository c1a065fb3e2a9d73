# The module frame: settings table, error convention, class table, load and unload,
# registration. The load/unload hooks and the four exported entry points are compiled into
# libquillion2.so only (ModuleEntry.cpp); everything else lives in q2_component so tests can
# drive it.
target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HResultText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsTable.cpp
)
