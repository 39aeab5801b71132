/* Small hand-made data for the tests. Every figure the tests expect can be
   worked out by hand from this file; the comments give the answers.

   Condominium 1, March 2014 (account 10 "Banco", account 11 "Caixa"):
     sp_lanc_por_conta_remoto, month 03/2014, 8 rows:
       lanc 1001 E 1.02.01     150.00  05/03  (account 10)
       lanc 1002 D 2.01.01    2500.00  10/03  trab FOLHA 03/2014 (account 10)
       lanc 1003 D 2.01.01     500.00  10/03  trab FOLHA 03/2014 (account 10)
       lanc 1004 D 2.02.01.01  320.50  12/03  (account 11)
       lanc 1005 R bill 501: quota 12 500.00 and quota 13 100.00  08/03
       lanc 1006 R bill 502: quota 15 450.00                      08/03
       payable 7001 Y 2.02.01.01 300.00 due 20/03 (account 10)
     period 08/03/2014 to 10/03/2014 (wmesini 07/03, wmesfim 11/03), 5 rows:
       1002, 1003, and the three receipt lines of 1005 and 1006.
     pega_saldo(1, 10, 01/03/2014): receitas 1200.00, despesas 3000.00,
       saldofim 5000.00 - 2400.00 + 1200.00 - 3000.00 = 800.00
     pega_saldo(1, -1, 01/03/2014): receitas 1200.00, despesas 3320.50,
       saldofim 5000.00 + 0 - 2400.00 + 1200.00 - 3320.50 = 479.50
     pega_saldo(1, 10, 01/02/2014): receitas 0, despesas 2400.00,
       saldofim 2600.00
   Condominium 2 has entries in March 2014 too; none of them may appear
   when CONDSEL names only condominium 1. */

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (1, 'Condomínio Edifício São João', 'abc123', 1, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (2, 'Residencial Açaí', 'xyz', 2, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (3, 'Condomínio Sem Lançamentos', 'vazio', 99, 1);

insert into SUBCONTA values (1, 'R', '1', 'Receitas');
insert into SUBCONTA values (1, 'R', '1.01', 'Receitas Ordinárias');
insert into SUBCONTA values (1, 'R', '1.01.01', 'Taxa Condominial');
insert into SUBCONTA values (1, 'R', '1.01.01.01', 'Cota Condominial Mensal');
insert into SUBCONTA values (1, 'R', '1.01.01.02', 'Vaga de Garagem');
insert into SUBCONTA values (1, 'R', '1.02', 'Outras Receitas');
insert into SUBCONTA values (1, 'R', '1.02.01', 'Rendimentos de Aplicação');
insert into SUBCONTA values (1, 'D', '2', 'Despesas');
insert into SUBCONTA values (1, 'D', '2.01', 'Despesas com Pessoal');
insert into SUBCONTA values (1, 'D', '2.01.01', 'Salários e Encargos');
insert into SUBCONTA values (1, 'D', '2.02', 'Manutenção');
insert into SUBCONTA values (1, 'D', '2.02.01', 'Elevadores');
insert into SUBCONTA values (1, 'D', '2.02.01.01', 'Contrato de Manutenção');

insert into CONTA values (10, 1, 'Banco do Brasil Ag. 1234', 'BB 1234', 5000.00);
insert into CONTA values (11, 1, 'Caixa Interno', 'Caixa', 0);
insert into CONTA values (20, 2, 'Itaú Ag. 0001', 'Itaú', 100.00);

insert into IMOVEL values (1, '0101', 'Apto 101', 'Bloco A', 'José Antônio');
insert into IMOVEL values (1, '0102', 'Apto 102', 'Bloco A', 'Conceição Araújo');
insert into IMOVEL values (1, '0201', 'Apto 201', 'Bloco B', 'Cláudia Müller');

insert into COTA values (12, 1, '0101', 'Apto 101 - @@/@@@@', '1.01.01.01');
insert into COTA values (13, 1, '0101', 'Vaga 101 - @@/@@', '1.01.01.02');
insert into COTA values (15, 1, '0102', 'Apto 102 - ##/##', '1.01.01.01');
insert into COTA values (16, 1, '0201', 'Apto 201', '1.01.01.01');

/* bills: 501 and 502 paid on 08/03/2014 into account 10 */
insert into RECEMIM values (501, 1, '0101', '2014-03-10', 600.00, '2014-03-01', '2014-03-08', 10);
insert into RECEMIM values (502, 1, '0102', '2014-03-10', 450.00, '2014-03-01', '2014-03-08', 10);
/* overdue and unpaid on 01/04/2014: 503 (due 10/02), 504 (due 10/03,
   payment placeholder 31/12/1900); not overdue: 505 (due 01/04), paid 506 */
insert into RECEMIM values (503, 1, '0201', '2014-02-10', 380.00, '2014-02-01', null, null);
insert into RECEMIM values (504, 1, '0201', '2014-03-10', 380.00, '2014-03-01', '1900-12-31', null);
insert into RECEMIM values (505, 1, '0201', '2014-04-01', 380.00, '2014-04-01', null, null);
insert into RECEMIM values (506, 1, '0102', '2014-02-10', 450.00, '2014-02-01', '1901-01-01', 10);

insert into RECEMID values (501, 12, '', '2014-03-01', 500.00);
insert into RECEMID values (501, 13, '', '2014-03-01', 100.00);
insert into RECEMID values (502, 15, '03/12', '2014-02-01', 450.00);

insert into LANCONTA values (901, 1, 10, '2014-02-01', '2014-02-10', 'D', '2.01.01',
  'Salário de fevereiro', 2400.00, null, 'FOLHA 02/2014');
insert into LANCONTA values (1001, 1, 10, '2014-03-01', '2014-03-05', 'E', '1.02.01',
  'Rendimento de aplicação', 150.00, null, '1001');
insert into LANCONTA values (1002, 1, 10, '2014-03-01', '2014-03-10', 'D', '2.01.01',
  'Salário do zelador João', 2500.00, null, 'FOLHA 03/2014');
insert into LANCONTA values (1003, 1, 10, '2014-03-01', '2014-03-10', 'D', '2.01.01',
  'INSS sobre a folha', 500.00, null, 'FOLHA 03/2014');
insert into LANCONTA values (1004, 1, 11, '2014-03-01', '2014-03-12', 'D', '2.02.01.01',
  'Manutenção mensal do elevador', 320.50, null, '1004');
insert into LANCONTA values (1005, 1, 10, '2014-03-01', '2014-03-08', 'R', null,
  'Recebimento boleto 501', 600.00, 501, 'COBRANCA');
insert into LANCONTA values (1006, 1, 10, '2014-03-01', '2014-03-08', 'R', null,
  'Recebimento boleto 502', 450.00, 502, 'COBRANCA');
insert into LANCONTA values (1101, 1, 10, '2014-04-01', '2014-04-02', 'E', '1.02.01',
  'Rendimento de abril', 100.00, null, '1101');
insert into LANCONTA values (2001, 2, 20, '2014-03-01', '2014-03-09', 'D', '2.01.01',
  'Salário (outro condomínio)', 999.00, null, '2001');

insert into CPAGAR values (7001, '2014-03-20', 'Conserto do portão da garagem', 300.00, 10, '2.02.01.01', 'C', 1, null);
insert into CPAGAR values (7002, '2014-03-25', 'Pintura (paga)', 800.00, 10, '2.02.01', 'C', 1, '2014-03-25');
insert into CPAGAR values (7003, '2014-04-02', 'Limpeza da caixa d''água', 250.00, 10, '2.02.01', 'C', 1, null);
insert into CPAGAR values (7004, '2014-03-21', 'Conta do outro condomínio', 75.00, 20, '2.02.01', 'C', 2, null);

insert into BALANCETES (cod, nome, histor)
  values (1, 'Padrão', 'Rec. {Cota} ref. {MêsCota4} - {Imóvel}');
insert into BALANCETES (cod, nome, histor)
  values (2, 'Resumido', 'Recebimento {Cotas}');

/* A table of every column type the access layer converts; not part of the
   firm's schema. Row 1 holds values, row 2 only nulls. */
create table TIPOS (
  id  integer not null primary key,
  c   char(10),
  v   varchar(30),
  s   smallint,
  i   integer,
  b   bigint,
  n   decimal(18,2),
  n4  numeric(9,4),
  f   float,
  d   double precision,
  dt  date,
  t   time,
  ts  timestamp,
  tb  blob sub_type 1,
  bb  blob sub_type 0,
  bo  boolean
);
commit;
insert into TIPOS values (1, 'ação', 'Pão de Açúcar – “ok” €', -12, 123456, 9000000000123,
  1234567.89, 12.3456, 1.5, 2.25, '2014-03-07', '13:45:30.1230', '2014-03-07 13:45:30.1230',
  'Texto longo com acentuação: é, ç, ã', x'00FF10', true);
insert into TIPOS (id) values (2);
commit;
