# The data tests need a PostgreSQL server: one throw-away server per build
# folder, started before them and stopped after them (also with ctest -j).
set(VELANT_PG_ESTADO "${CMAKE_BINARY_DIR}/pg-teste")
add_test(NAME dados_pg_iniciar
         COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/pg-teste" iniciar "${VELANT_PG_ESTADO}")
add_test(NAME dados_pg_parar
         COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/pg-teste" parar "${VELANT_PG_ESTADO}")
set_tests_properties(dados_pg_iniciar PROPERTIES FIXTURES_SETUP velant_pg TIMEOUT 120)
set_tests_properties(dados_pg_parar PROPERTIES FIXTURES_CLEANUP velant_pg TIMEOUT 120)
set(VELANT_PROPRIEDADES_TESTE
    FIXTURES_REQUIRED velant_pg
    ENVIRONMENT "VELANT_PG_ESTADO=${VELANT_PG_ESTADO}")
