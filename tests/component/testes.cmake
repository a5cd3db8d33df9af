# The DANFE tests draw text through pango, whose font patterns fontconfig
# frees only when the process ends: the leak checker is told so.
set(VELANT_PROPRIEDADES_TESTE
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/apoio/fontconfig.supp:print_suppressions=0")
