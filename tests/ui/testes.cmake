# The Qt window is tested offscreen when the build has it.
if(TARGET velant_ui_qt)
  target_link_libraries(${nome} PRIVATE velant_ui_qt)
endif()
set(VELANT_PROPRIEDADES_TESTE ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
