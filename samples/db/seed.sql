-- Demo data: Maico as a maker, a few of its accessories, one order.
INSERT INTO Produttori (PkId, Nome) VALUES (1, 'ZELVO');
INSERT INTO Produttori (PkId, Nome) VALUES (7, 'MAICO');
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICO', 'MAICO', '301234', 'Cerniera angolare', 'CERNIERE', 'FERRAMENTA', 1, 1.5, 0.5, 12.34, 12.34, 7, 0);
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICO', 'MAICO', '301235', 'Forbice anta ribalta', 'FORBICI', 'FERRAMENTA', 1, 2.0, 1.0, 18.5, 18.5, 7, 0);
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICO', 'MAICO', '402010', 'Asta cremonese', NULL, 'ASTE', 2, 0.8, 0.2, 9.9, 9.9, 7, 0);
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICO', 'MAICO', '402011', 'Asta di chiusura', 'ASTE', NULL, 4, 0.6, NULL, 7.25, 7.25, 7, 0);
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICO', 'MAICO', '509900', 'Maniglia Martellina', 'MANIGLIE', 'FERRAMENTA', NULL, 0.25, 0.1, 21.0, 21.0, 7, 0);
INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione, Costo, CostoUnitario, IdProduttore, AccettaTratt) VALUES ('MAICOWIN', 'MAICOWIN', 'FINITURA', 'Finitura MaicoWin', NULL, NULL, 1, 0, 0, 0, 0, 7, 0);
INSERT INTO SchedeTecniche VALUES ('MW_SCHEDA_001', 'Anta ribalta standard', 1, 'MW_PARAM', 'MAICOWIN', 'MAICOWIN');
INSERT INTO Ordini VALUES ('ORD-2008-001', '2008-12-25', '2008-12-01');
INSERT INTO RigheOrdine VALUES ('ORD-2008-001', 1, '301234', 4);
INSERT INTO RigheOrdine VALUES ('ORD-2008-001', 2, '402010', 3.7);
INSERT INTO RigheOrdine VALUES ('ORD-2008-001', 3, '509900', NULL);
