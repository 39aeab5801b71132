/* The balance report's layout, May 2015 (chart of structure 1, see
   fixtures.sql). Every figure the tests expect is worked out here.

   Condominium 60, account 600 (saldoini 0), rows in report order:
     1.01.01    05/05 lances Z1: +10.00 and -10.00      -> a zero lance
     1.02.01    05/05 lance T1: 1500.50 "Rendimento de maio"
     1.03.01    09/05 lance S: 40.00 (no 1.03 / 1.03.01 names in the chart)
     2.01.01    06/05 lance A: -20.00 "Estorno de tarifa"
                06/05 lance B: 100.00 "Vale-transporte", CR LF, "de maio"
                      (same date)
                07/05 lance A: +30.00 and -30.00        -> a zero lance
                07/05 lance B: 45.00 "Material de limpeza"
     2.02.01.01 08/05 lance M: 250.00 "Manutenção do elevador"
                20/05 payable 6101: 300.00 committed "Conserto do interfone",
                      LF, "e do portão", CR LF (a break at the end)
     totals: 1.01.01 0; 1.02.01 1500.50; 1.03.01 40.00; grade 1 "1" 1540.50;
             2.01.01 125.00; 2.02.01.01 250.00 / 300.00; "2" 375.00 / 300.00
     pega_saldo(60, 600, 01/05/2015): receitas 1540.50, despesas 375.00,
       saldofim 1165.50, so the opening balance is 0.
   Condominium 61 (template 60: "Receb. {Cotas}-", CR LF, "{Cota}"), account 610
   (saldoini 300.00):
     1.01.01.01 10/05 one lance COBRANCA of three receipt lines: unit 12
                600.00 (lanc 6201), unit 16 300.00 (6202), unit 12 100.00
                (6203) = 1000.00; units listed "Apto 101 -  Apto 201" (no month
                placeholder, so no MESREFCOTA: the mask goes, no month)
     2.01.01    12/05 lance F: 1500.00 "Folha de maio"
     pega_saldo(61, 610 or -1, 01/05/2015): receitas 1000.00, despesas
       1500.00, saldofim 300 + 1000 - 1500 = -200.00: opening 300.00
       (Credor), closing 200.00 (Devedor).
   Condominium 62, account 620: its balance overflows decimal(18,2), so
   pega_saldo fails while the report is being prepared. */

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (60, 'Condomínio Balancete Modelo', 'bal60', 1, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (61, 'Residencial Saldo Devedor', 'bal61', 60, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (62, 'Condomínio Saldo Impossível', 'bal62', 1, 1);

insert into BALANCETES (cod, nome, histor) values (60, 'Lista',
  'Receb. {Cotas}-' || ascii_char(13) || ascii_char(10) || '{Cota}');

insert into CONTA values (600, 60, 'Conta Corrente Modelo', 'CC 600', 0);
insert into CONTA values (610, 61, 'Conta Corrente Devedora', 'CC 610', 300.00);
insert into CONTA values (620, 62, 'Conta Estourada', 'CC 620', 90000000000000000.00);

insert into LANCONTA values (6002, 60, 600, '2015-05-01', '2015-05-05', 'E', '1.01.01',
  'Acerto', 10.00, null, 'Z1');
insert into LANCONTA values (6003, 60, 600, '2015-05-01', '2015-05-05', 'E', '1.01.01',
  'Acerto estornado', -10.00, null, 'Z1');
insert into LANCONTA values (6001, 60, 600, '2015-05-01', '2015-05-05', 'E', '1.02.01',
  'Rendimento de maio', 1500.50, null, 'T1');
insert into LANCONTA values (6010, 60, 600, '2015-05-01', '2015-05-09', 'E', '1.03.01',
  'Receita sem nome', 40.00, null, 'S');
insert into LANCONTA values (6004, 60, 600, '2015-05-01', '2015-05-06', 'D', '2.01.01',
  'Estorno de tarifa', -20.00, null, 'A');
insert into LANCONTA values (6005, 60, 600, '2015-05-01', '2015-05-06', 'D', '2.01.01',
  'Vale-transporte' || ascii_char(13) || ascii_char(10) || 'de maio', 100.00, null, 'B');
insert into LANCONTA values (6006, 60, 600, '2015-05-01', '2015-05-07', 'D', '2.01.01',
  'Lançado em dobro', 30.00, null, 'A');
insert into LANCONTA values (6007, 60, 600, '2015-05-01', '2015-05-07', 'D', '2.01.01',
  'Correção do lançamento em dobro', -30.00, null, 'A');
insert into LANCONTA values (6008, 60, 600, '2015-05-01', '2015-05-07', 'D', '2.01.01',
  'Material de limpeza', 45.00, null, 'B');
insert into LANCONTA values (6009, 60, 600, '2015-05-01', '2015-05-08', 'D', '2.02.01.01',
  'Manutenção do elevador', 250.00, null, 'M');
insert into CPAGAR values (6101, '2015-05-20',
  'Conserto do interfone' || ascii_char(10) || 'e do portão' || ascii_char(13) || ascii_char(10),
  300.00, 600,
  '2.02.01.01', 'C', 60, null);

insert into RECEMIM values (6501, 61, '0101', '2015-05-10', 600.00, '2015-05-01', '2015-05-10', 610);
insert into RECEMIM values (6502, 61, '0201', '2015-05-10', 300.00, '2015-05-01', '2015-05-10', 610);
insert into RECEMIM values (6503, 61, '0101', '2015-05-10', 100.00, '2015-05-01', '2015-05-10', 610);
insert into RECEMID values (6501, 12, '', '2015-05-01', 600.00);
insert into RECEMID values (6502, 16, '', '2015-05-01', 300.00);
insert into RECEMID values (6503, 12, '', '2015-05-01', 100.00);
insert into LANCONTA values (6201, 61, 610, '2015-05-01', '2015-05-10', 'R', null,
  'Recebimento boleto 6501', 600.00, 6501, 'COBRANCA');
insert into LANCONTA values (6202, 61, 610, '2015-05-01', '2015-05-10', 'R', null,
  'Recebimento boleto 6502', 300.00, 6502, 'COBRANCA');
insert into LANCONTA values (6203, 61, 610, '2015-05-01', '2015-05-10', 'R', null,
  'Recebimento boleto 6503', 100.00, 6503, 'COBRANCA');
insert into LANCONTA values (6204, 61, 610, '2015-05-01', '2015-05-12', 'D', '2.01.01',
  'Folha de maio', 1500.00, null, 'F');

insert into LANCONTA values (6301, 62, 620, '2015-05-01', '2015-05-04', 'E', '1.02.01',
  'Aporte', 9000000000000000.00, null, 'X');
commit;
