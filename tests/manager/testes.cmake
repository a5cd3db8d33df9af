# The orphaned-request tests run two Hosts on SQLite and on the PostgreSQL
# server of the data tests, with that folder's helpers for it.
target_sources(${nome} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/data/apoio_dados.cpp")
set(VELANT_PROPRIEDADES_TESTE
    FIXTURES_REQUIRED velant_pg
    ENVIRONMENT "VELANT_PG_ESTADO=${CMAKE_BINARY_DIR}/pg-teste")
