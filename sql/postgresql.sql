-- Velant NFe: tables of a PostgreSQL database shared by several Hosts.
-- Safe to run again: nothing is dropped or rewritten.
-- Names written with blanks are quoted; the others fold to lower case, as the
-- statements of the program write them without quotes.

-- Request queue: one row per request of a front end (AC), answered by a Host.
CREATE TABLE IF NOT EXISTS SolicitacaoFuncaoNFe (
  NSU INTEGER NOT NULL PRIMARY KEY,
  "Numero de Controle de Solicitacao" INTEGER DEFAULT 0,
  "Data da Solicitacao" DATE,
  "Hora da Solicitacao" TIME,
  "Tipo de Operacao" VARCHAR(50) DEFAULT '',
  "Codigo do Estabelecimento" INTEGER DEFAULT 0,
  "Serie da NFe" VARCHAR(10) DEFAULT '',
  "Numero da NFe" INTEGER DEFAULT 0,
  "Chave de Acesso da NFe" VARCHAR(60) DEFAULT '',
  "IP Computador AC" VARCHAR(50) DEFAULT '',
  "IP Internet AC" VARCHAR(50) DEFAULT '',
  "Seguranca do Estabelecimento" VARCHAR(255) DEFAULT '',
  "Codigo do Usuario" INTEGER DEFAULT 0,
  "Versao AC" VARCHAR(30) DEFAULT '',
  "Versao Host" VARCHAR(30) DEFAULT '',
  Texto TEXT DEFAULT '',
  "Hora da Analise" TIME,
  "Hora da Aprovacao" TIME,
  "Hora Cancelamento Host" TIME,
  "Hora da Confirmacao AC" TIME,
  "Hora do Cancelamento AC" TIME,
  Mensagem TEXT DEFAULT ''
);

-- The open requests in NSU order: each tick's search reads only these,
-- however many answered rows the table keeps.
CREATE INDEX IF NOT EXISTS IX_SolicitacaoFuncaoNFe_Abertas
  ON SolicitacaoFuncaoNFe (NSU)
  WHERE "Hora do Cancelamento AC" IS NULL
    AND "Hora da Confirmacao AC" IS NULL
    AND "Hora Cancelamento Host" IS NULL
    AND "Hora da Analise" IS NULL
    AND "Hora da Aprovacao" IS NULL;

-- Progress of each invoice through the emission steps (0 to 3).
CREATE TABLE IF NOT EXISTS MovimentoNFe (
  Empresa INTEGER NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  Numero INTEGER NOT NULL,
  "Numero da NFe" VARCHAR(44) DEFAULT '',
  "Numero do Lote" BIGINT DEFAULT 0,
  "Numero da Recepcao" BIGINT DEFAULT 0,
  "Numero do Protocolo" BIGINT DEFAULT 0,
  "Etapa Concluida" SMALLINT DEFAULT 0,
  Data DATE,
  PRIMARY KEY (Empresa, Serie, Numero)
);

CREATE INDEX IF NOT EXISTS IX_MovimentoNFe_Chave ON MovimentoNFe (Empresa, Serie, "Numero da NFe");

-- >>> DocumentoNFe
-- The signed document and the last batch sent of each invoice key, written
-- in the same transaction as the MovimentoNFe step they belong to, so that
-- any Host of the database can finish an invoice another Host started.
-- "Numero do Lote" is the batch identifier of the batch file's name.
CREATE TABLE IF NOT EXISTS DocumentoNFe (
  Empresa INTEGER NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  "Numero da NFe" VARCHAR(44) NOT NULL,
  Numero INTEGER NOT NULL,
  "Documento Assinado" TEXT NOT NULL DEFAULT '',
  "Numero do Lote" VARCHAR(15) NOT NULL DEFAULT '',
  "Lote Enviado" TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (Empresa, Serie, "Numero da NFe")
);
-- <<< DocumentoNFe

-- Cancellations and voided numbers: rows created by the front end, completed here.
CREATE TABLE IF NOT EXISTS MovimentoNFeSaidaCancelada (
  Empresa INTEGER NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  "Numero da NFe" VARCHAR(44) NOT NULL,
  "Numero do Protocolo" BIGINT DEFAULT 0,
  "Etapa Concluida" SMALLINT DEFAULT 0,
  PRIMARY KEY (Empresa, Serie, "Numero da NFe")
);

CREATE TABLE IF NOT EXISTS MovimentoNFeSaidaInutilizada (
  Empresa INTEGER NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  Numero INTEGER NOT NULL,
  "Etapa Concluida" SMALLINT DEFAULT 0,
  PRIMARY KEY (Empresa, Serie, Numero)
);

-- Settings by company; the batch counter is shared by every company.
CREATE TABLE IF NOT EXISTS ConfiguracaoDiversa (
  Empresa INTEGER NOT NULL,
  Nome VARCHAR(60) NOT NULL,
  Valor NUMERIC(19,4) DEFAULT 0,
  PRIMARY KEY (Empresa, Nome)
);

INSERT INTO ConfiguracaoDiversa (Empresa, Nome, Valor)
  SELECT 1, 'Contador Lote NFe', 0
   WHERE NOT EXISTS (SELECT 1 FROM ConfiguracaoDiversa WHERE Empresa = 1 AND Nome = 'Contador Lote NFe');

-- Tax situation of each operation (CFOP).
CREATE TABLE IF NOT EXISTS natureza_operacao (
  codigo VARCHAR(10) NOT NULL PRIMARY KEY,
  situacao_tributaria VARCHAR(4) DEFAULT ''
);

-- Municipalities as published, and the cleaned copy the front ends read.
CREATE TABLE IF NOT EXISTS Municipios (
  UF VARCHAR(2) NOT NULL,
  CMUN INTEGER NOT NULL,
  XMUN VARCHAR(60) NOT NULL
);

CREATE TABLE IF NOT EXISTS CidadeIBGE (
  Codigo INTEGER NOT NULL,
  Nome VARCHAR(60) NOT NULL,
  UF VARCHAR(2) NOT NULL
);

-- ===========================================================================
-- Hosts and their claims.
-- A claim names the Host run that holds the request ("Host da Analise", NULL
-- for a claim by an earlier version), and every Host run advances its
-- counter here once a second while it runs. Another Host takes a claim for
-- abandoned when the holder's counter stood still, by its own clock, longer
-- than a request can take: the clocks of two computers are never compared.
ALTER TABLE SolicitacaoFuncaoNFe ADD COLUMN IF NOT EXISTS "Host da Analise" BIGINT;

CREATE TABLE IF NOT EXISTS HostBatimento (
  Id BIGINT NOT NULL PRIMARY KEY,
  Contador BIGINT NOT NULL DEFAULT 0,
  Descricao VARCHAR(100) DEFAULT ''
);
-- ===========================================================================
-- The key an invoice had before it was issued again in contingency (its
-- tpEmis, and so its key, changed).
ALTER TABLE MovimentoNFe ADD COLUMN IF NOT EXISTS "Chave Anterior" VARCHAR(44) DEFAULT '';

-- Contingency of the state's authorisation service: one row per period,
-- entered (Inicio, the dhCont of the invoices issued in it, with the mode
-- and why) and left (Fim and why; NULL while in force). At most one period
-- of a state is open, whichever Host opened it. "Status Consultado" is when
-- a Host last asked the state's service whether it is back (seconds since
-- 1970, by that Host's clock).
CREATE TABLE IF NOT EXISTS ContingenciaNFe (
  UF VARCHAR(2) NOT NULL,
  Inicio VARCHAR(25) NOT NULL,
  Modo VARCHAR(10) NOT NULL,
  "Motivo da Entrada" VARCHAR(256) NOT NULL DEFAULT '',
  Fim VARCHAR(25),
  "Motivo da Saida" VARCHAR(256),
  "Status Consultado" BIGINT NOT NULL DEFAULT 0,
  PRIMARY KEY (UF, Inicio)
);
CREATE UNIQUE INDEX IF NOT EXISTS IX_ContingenciaNFe_Aberta ON ContingenciaNFe (UF) WHERE Fim IS NULL;

-- Consecutive authorisation attempts of a state's service that timed out or
-- were refused at the transport level, counted from the first (Desde,
-- seconds since 1970); a success clears them.
CREATE TABLE IF NOT EXISTS FalhaServicoNFe (
  UF VARCHAR(2) NOT NULL PRIMARY KEY,
  Falhas INTEGER NOT NULL DEFAULT 0,
  Desde BIGINT NOT NULL DEFAULT 0
);

-- Invoices issued in EPEC contingency (tpEmis 4): their summary is
-- registered with the national environment (Protocolo, of the event) and
-- the invoice itself is still to go to the state's service, within 168
-- hours of its emission (Emissao, seconds since 1970). Aviso: 0 none yet,
-- 1 the last day was announced, 2 its expiry. The row goes once authorised.
CREATE TABLE IF NOT EXISTS EpecPendenteNFe (
  Chave VARCHAR(44) NOT NULL PRIMARY KEY,
  Empresa INTEGER NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  Numero INTEGER NOT NULL,
  UF VARCHAR(2) NOT NULL,
  Emissao BIGINT NOT NULL,
  Protocolo VARCHAR(15) NOT NULL,
  Aviso SMALLINT NOT NULL DEFAULT 0
);

-- ===========================================================================
