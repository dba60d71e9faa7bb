-- Zelvo's host database, as far as ZelvoMW reads and writes it (SQLite).
CREATE TABLE Produttori (
  PkId INTEGER PRIMARY KEY,
  Nome VARCHAR(30) NOT NULL
);
CREATE TABLE Accessori (
  Produttore VARCHAR(30) NOT NULL,
  Produttore2 VARCHAR(30) NOT NULL,
  Codice VARCHAR(30) NOT NULL,
  Descrizione VARCHAR(100),
  Categoria VARCHAR(30),
  GruppoStampa VARCHAR(30),
  UnMis INTEGER,
  TempoMontaggio DOUBLE,
  TempoLavorazione DOUBLE,
  Costo NUMERIC(14,4),
  CostoUnitario NUMERIC(14,4),
  IdProduttore INTEGER,
  AccettaTratt INTEGER DEFAULT 0,
  Moltiplicatore INTEGER,
  CodiceBreve VARCHAR(20),
  PRIMARY KEY (Produttore, Produttore2, Codice)
);
-- The Excel price import updates a maker's articles by code alone, row by row.
CREATE INDEX AccessoriPerCodice ON Accessori (Produttore, Codice);
CREATE TABLE Finiture (
  Codice VARCHAR(21) PRIMARY KEY
);
-- One row a link: the openings update links every finish of MaicoWin again each time it runs.
CREATE TABLE FinitureAccessori (
  Produttore VARCHAR(30) NOT NULL,
  Produttore2 VARCHAR(30) NOT NULL,
  Codice VARCHAR(30) NOT NULL,
  Finitura VARCHAR(21) NOT NULL,
  PRIMARY KEY (Produttore, Produttore2, Codice, Finitura)
);
CREATE TABLE SchedeTecniche (
  Codice VARCHAR(30) PRIMARY KEY,
  Descrizione VARCHAR(100),
  Numero INTEGER,
  Tipo VARCHAR(30),
  Produttore VARCHAR(30),
  Produttore2 VARCHAR(30)
);
CREATE TABLE Ordini (
  IdOrdine VARCHAR(20) PRIMARY KEY,
  DataConsegna DATE,
  DataCompilazione DATE
);
CREATE TABLE RigheOrdine (
  IdOrdine VARCHAR(20) NOT NULL,
  Riga INTEGER NOT NULL,
  Codice VARCHAR(30),
  QtaOrdinata DOUBLE,
  PRIMARY KEY (IdOrdine, Riga)
);
-- Kits of accessories, as the host's import library takes them from MaicoWin's KIT list.
CREATE TABLE Kit (
  Produttore VARCHAR(30) NOT NULL,
  Produttore2 VARCHAR(30) NOT NULL,
  Codice VARCHAR(30) NOT NULL,
  Descrizione VARCHAR(100),
  PRIMARY KEY (Produttore, Produttore2, Codice)
);
CREATE TABLE KitComponenti (
  Produttore VARCHAR(30) NOT NULL,
  Produttore2 VARCHAR(30) NOT NULL,
  CodiceKit VARCHAR(30) NOT NULL,
  CodiceArticolo VARCHAR(30) NOT NULL,
  Quantita DOUBLE
);
