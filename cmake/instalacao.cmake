# Installation: the three executables, and below <prefix>/share/velantnfe
# what they look for next to themselves (schemas, the endpoint file); the SQL
# scripts, the guide with its examples, the systemd unit with the service's
# user and group (sysusers.d) and root folder (tmpfiles.d); and the Debian
# package (cpack -G DEB), whose postinst creates those two.
include(GNUInstallDirs)

set(VELANT_DADOS_INST "${CMAKE_INSTALL_DATADIR}/velantnfe")
set(VELANT_DOCS_INST "${CMAKE_INSTALL_DATADIR}/doc/velantnfe")

install(TARGETS velantnfe velantnfe-ac velantnfe-autoridade RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY schemas/ DESTINATION ${VELANT_DADOS_INST}/schemas)
install(FILES dados/servicos-nfe.ini dados/reforma-tributaria.txt DESTINATION ${VELANT_DADOS_INST}/dados)
install(FILES sql/sqlite.sql sql/postgresql.sql DESTINATION ${VELANT_DADOS_INST}/sql)
install(FILES README.md docs/integracao.md docs/arquitetura.md DESTINATION ${VELANT_DOCS_INST})
install(DIRECTORY exemplos/ DESTINATION ${VELANT_DOCS_INST}/exemplos)
install(FILES servico/velantnfe.sysusers DESTINATION lib/sysusers.d RENAME velantnfe.conf)
install(FILES servico/velantnfe.tmpfiles DESTINATION lib/tmpfiles.d RENAME velantnfe.conf)

# The unit names the executable by the prefix of the installation itself,
# which cpack changes to /usr: it is written at install time.
install(CODE "
  set(VELANT_BINARIOS \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  set(VELANT_DOCS \"\${CMAKE_INSTALL_PREFIX}/${VELANT_DOCS_INST}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/servico/velantnfe.service.in\"
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/velantnfe.service\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/velantnfe.service\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velantnfe)
set(CPACK_PACKAGE_VENDOR "Velant")
set(CPACK_PACKAGE_CONTACT "Velant NFe <nfe@velant.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Emissor de NF-e 3.10 que atende a fila SolicitacaoFuncaoNFe")
set(CPACK_PACKAGE_DESCRIPTION "O Host lê as solicitações que as automações comerciais gravam na tabela
SolicitacaoFuncaoNFe (SQLite ou PostgreSQL), emite, cancela e inutiliza NF-e
modelo 55 junto à autoridade fiscal e responde na mesma linha. Inclui o serviço
systemd velantnfe, o lado da automação (velantnfe-ac) e um simulador da
autoridade para testes (velantnfe-autoridade).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Trust for the authority's servers, and the clients of the two databases for an operator.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates")
# adduser: the service's user where systemd-sysusers is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd, adduser, sqlite3, postgresql-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_SOURCE_DIR}/servico/debian/postinst;${CMAKE_SOURCE_DIR}/servico/debian/prerm;${CMAKE_SOURCE_DIR}/servico/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
