# pendrix_layer(<name> [QT] [DEPENDS <layer>...] [LIBS <library>...])
#
# Declares pendrix_<name>, the target of the layer in the calling folder src/<name>: a static
# library of every .cpp below the folder, or an interface library while the folder has none. DEPENDS names the lower layers it builds on, LIBS other
# libraries; both are handed on to the layers above. QT runs moc on the layer (the others are
# built without Qt).
#
# Headers are included as "<name>/...". Each layer has an include root of its own in the build
# folder that holds only the link <name> -> src/<name>; a target sees the roots of its own layer
# and of the layers below it that it depends on, so including a header of any other layer does
# not compile.

# The Qt headers most units include, precompiled once (pendrix_qt_pch) for every Qt layer. The
# layers share that header because they compile with the same Qt definitions: the lowest of them
# (controls) takes Qt6::Widgets and Qt6::PrintSupport and hands both on.
set(PENDRIX_QT_PCH <QApplication> <QCheckBox> <QComboBox> <QDialog> <QGroupBox> <QHBoxLayout> <QLabel>
    <QLineEdit> <QPainter> <QPushButton> <QTabWidget> <QTableWidget> <QTimer> <QToolButton> <QVBoxLayout>
    <algorithm> <cstdint> <cstring> <functional> <memory> <string> <vector>)
set(pch_unit ${PROJECT_BINARY_DIR}/generated/Qt_pch.cpp)
file(CONFIGURE OUTPUT ${pch_unit} CONTENT "// The unit that owns the Qt layers' precompiled header.\n")
add_library(pendrix_qt_pch STATIC ${pch_unit})
target_link_libraries(pendrix_qt_pch PRIVATE Qt6::Widgets Qt6::PrintSupport)
target_precompile_headers(pendrix_qt_pch PRIVATE ${PENDRIX_QT_PCH})

function(pendrix_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT" "" "DEPENDS;LIBS")
  set(target pendrix_${name})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)

  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(TRANSFORM arg_DEPENDS PREPEND pendrix_)

  if(sources)
    set(headers "")
    if(arg_QT)
      file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    endif()
    add_library(${target} STATIC ${sources} ${headers})
    set_target_properties(${target} PROPERTIES AUTOMOC ${arg_QT})
    if(arg_QT)
      target_precompile_headers(${target} REUSE_FROM pendrix_qt_pch)
    endif()
    set(usage PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(usage INTERFACE)
  endif()
  target_include_directories(${target} ${usage} ${root})
  target_link_libraries(${target} ${usage} ${arg_DEPENDS} ${arg_LIBS})
endfunction()
