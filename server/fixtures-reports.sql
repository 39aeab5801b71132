/* Test data of the delinquency and payables listings, loaded after
   fixtures.sql. Dates around "today" are written relative to the day the
   fixtures are loaded, so the overdue test keeps its meaning on any day.

   Condominium 40 "Condomínio Teste Inadimplência", password Inad40.
   Overdue bills ("Relação de Inadimplentes"), in order of unit then due date:
     0001 Apto 1: 4005 due 10/02/2014 paid on 31/12/1900 (= unpaid)   50.00
                  4001 due yesterday, unpaid                          100.00
                  total 150,00
                  not listed: 4002 due today, 4006 due tomorrow, 4003 paid
                  on 01/01/1901, 4004 paid on 15/01/2014
     0002 Apto 2: a thousand bills of 0.10 (11001..12000)   total 100,00
     0003 Apto 3: 4007  1234.50                             total 1.234,50
     0004 Apto 4: 4008 -1234.50                             total 1.234,50-
     0005 Apto 5: 4009 10.00 and 4010 -10.00                total blank
     Total Geral 250,00 (1004 rows: several pages)
   Unpaid payables ("Compromissados"), by due date:
     10/03/2014: 4101 100.00 account 4001 "Banco Teste"
                 4102 250.50 account 4002 "Caixa Teste", a description of
                      four lines: an LF, a CR LF and a CR between them
                 4103  49.50 account 9999 (no such row: empty account text)
                 day total 400,00
     12/03/2014: 4104 -1234.50 account 4001
                 4105 0.00 no account
                 day total 1.234,50-
     Total Geral 834,50-
     not listed: 4106 (paid), 4107 (debtor kind "F")

   Condominium 41 "Condomínio Em Dia", password vazio41: no overdue bill
   (one paid, one due tomorrow) and no unpaid payable.

   Condominium 42 "Residencial Ação", password ção42: one overdue bill for
   a unit also called 0001, 999.00, which condominium 40 must not show. */

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (40, 'Condomínio Teste Inadimplência', 'Inad40', 1, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (41, 'Condomínio Em Dia', 'vazio41', 1, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (42, 'Residencial Ação', 'ção42', 1, 1);

insert into IMOVEL (cond, imovel, complem) values (40, '0001', 'Apto 1');
insert into IMOVEL (cond, imovel, complem) values (40, '0002', 'Apto 2');
insert into IMOVEL (cond, imovel, complem) values (40, '0003', 'Apto 3');
insert into IMOVEL (cond, imovel, complem) values (40, '0004', 'Apto 4');
insert into IMOVEL (cond, imovel, complem) values (40, '0005', 'Apto 5');
insert into IMOVEL (cond, imovel, complem) values (41, '0001', 'Loja 1');
insert into IMOVEL (cond, imovel, complem) values (42, '0001', 'Casa 1');

insert into RECEMIM values (4001, 40, '0001', current_date - 1, 100.00, '2014-01-01', null, null);
insert into RECEMIM values (4002, 40, '0001', current_date, 200.00, '2014-01-01', null, null);
insert into RECEMIM values (4006, 40, '0001', current_date + 1, 210.00, '2014-01-01', null, null);
insert into RECEMIM values (4003, 40, '0001', '2014-01-10', 300.00, '2014-01-01', '1901-01-01', null);
insert into RECEMIM values (4004, 40, '0001', '2014-01-10', 400.00, '2014-01-01', '2014-01-15', null);
insert into RECEMIM values (4005, 40, '0001', '2014-02-10', 50.00, '2014-02-01', '1900-12-31', null);
insert into RECEMIM values (4007, 40, '0003', '2014-03-10', 1234.50, '2014-03-01', null, null);
insert into RECEMIM values (4008, 40, '0004', '2014-03-10', -1234.50, '2014-03-01', null, null);
insert into RECEMIM values (4009, 40, '0005', '2014-03-10', 10.00, '2014-03-01', null, null);
insert into RECEMIM values (4010, 40, '0005', '2014-04-10', -10.00, '2014-04-01', null, null);
set term ^;
execute block as
  declare i integer = 1;
begin
  while (i <= 1000) do
  begin
    insert into RECEMIM values (11000 + :i, 40, '0002',
      dateadd(:i day to timestamp '2010-01-01'), 0.10, '2010-01-01', null, null);
    i = i + 1;
  end
end^
set term ;^
insert into RECEMIM values (4011, 41, '0001', '2014-03-10', 80.00, '2014-03-01', '2014-03-09', null);
insert into RECEMIM values (4012, 41, '0001', current_date + 1, 80.00, '2014-03-01', null, null);
insert into RECEMIM values (4013, 42, '0001', '2014-03-10', 999.00, '2014-03-01', null, null);

insert into CONTA (cod, cond, nome, nomered, saldoini) values (4001, 40, 'Banco Teste', 'Banco', 0);
insert into CONTA (cod, cond, nome, nomered, saldoini) values (4002, 40, 'Caixa Teste', 'Caixa', 0);

insert into CPAGAR values (4101, '2014-03-10', 'Conserto do portão', 100.00, 4001, '2.02.01', 'C', 40, null);
insert into CPAGAR values (4102, '2014-03-10',
  'Manutenção do elevador' || ascii_char(10) || 'peças e mão de obra'
  || ascii_char(13) || ascii_char(10) || 'contrato anual' || ascii_char(13) || 'pago em março',
  250.50, 4002, '2.02.01.01', 'C', 40, null);
insert into CPAGAR values (4103, '2014-03-10', 'Conta de água', 49.50, 9999, '2.02.02', 'C', 40, null);
insert into CPAGAR values (4104, '2014-03-12', 'Seguro predial (estorno)', -1234.50, 4001, '2.02.03', 'C', 40, null);
insert into CPAGAR values (4105, '2014-03-12', 'Lançamento zerado', 0.00, null, '2.02.03', 'C', 40, null);
insert into CPAGAR values (4106, '2014-03-10', 'Já pago', 77.00, 4001, '2.02.01', 'C', 40, '2014-03-10');
insert into CPAGAR values (4107, '2014-03-10', 'De um fornecedor', 66.00, 4001, '2.02.01', 'F', 40, null);
commit;
