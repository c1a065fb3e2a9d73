# User interaction: the interface, the terminal, scripted and none implementations, and the
# loader of the GTK dialogs. The GTK dialogs themselves are a module of their own,
# libquillion2-gtk.so (requires gtk+-3.0), loaded on first use so that neither the component
# nor its hosts link GTK.
target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogPaths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkModule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NoUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TerminalUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UserInteraction.cpp
)
target_link_libraries(q2_platform PUBLIC ${CMAKE_DL_LIBS})

pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
q2_layer_library(quillion2-gtk LAYER platform SHARED)
target_sources(quillion2-gtk PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogPaths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkMainLoop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkUserInteraction.cpp
)
target_link_libraries(quillion2-gtk PRIVATE PkgConfig::GTK3 Threads::Threads)
# Only quillion2_gtk_user_interaction leaves the module.
set_target_properties(quillion2-gtk PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
# Whatever links the platform layer finds the module beside it.
add_dependencies(q2_platform quillion2-gtk)
