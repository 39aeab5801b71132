/* Rows for the balance report as the report tool and "Gerar Relatório"
   start it, loaded after fixtures.sql. Condominiums of their own, one for
   the tool's tests and one for the selection screen's, so that runs going
   on at the same time log their emissions in rows nobody else touches.
   Chart of accounts 1 (fixtures.sql), balance settings 1.

   Condominium 60 "Condomínio Relatório Agendado", password agenda60:
     May 2019:  6001 E 1.02.01      150.00  05/05/2019
                6002 D 2.01.01     1000.00  10/05/2019
                6003 D 2.02.01.01   250.00  12/05/2019
     June 2019: 6101 D 2.01.01      300.00  03/06/2019
   The latest month with entries is June 2019.

   Condominium 61 "Condomínio Tela de Seleção", password tela61:
     July 2019:   6201 E 1.02.01      200.00  07/07/2019
                  6202 D 2.01.01      800.00  10/07/2019
                  6203 D 2.02.01.01   120.00  15/07/2019
     August 2019: 6301 D 2.01.01      810.00  05/08/2019
   The latest month with entries is August 2019.

   No other condominium has entries from May to August 2019; no condominium
   has any in January 2010. */

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (60, 'Condomínio Relatório Agendado', 'agenda60', 1, 1);

insert into CONTA values (60, 60, 'Banco Agendado Ag. 6060', 'Agendado', 1000.00);

insert into LANCONTA values (6001, 60, 60, '2019-05-01', '2019-05-05', 'E', '1.02.01',
  'Rendimento de maio', 150.00, null, '6001');
insert into LANCONTA values (6002, 60, 60, '2019-05-01', '2019-05-10', 'D', '2.01.01',
  'Salário de maio', 1000.00, null, '6002');
insert into LANCONTA values (6003, 60, 60, '2019-05-01', '2019-05-12', 'D', '2.02.01.01',
  'Manutenção do elevador', 250.00, null, '6003');
insert into LANCONTA values (6101, 60, 60, '2019-06-01', '2019-06-03', 'D', '2.01.01',
  'Salário de junho', 300.00, null, '6101');

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (61, 'Condomínio Tela de Seleção', 'tela61', 1, 1);

insert into CONTA values (61, 61, 'Banco da Tela Ag. 6161', 'Tela', 500.00);

insert into LANCONTA values (6201, 61, 61, '2019-07-01', '2019-07-07', 'E', '1.02.01',
  'Rendimento de julho', 200.00, null, '6201');
insert into LANCONTA values (6202, 61, 61, '2019-07-01', '2019-07-10', 'D', '2.01.01',
  'Salário de julho', 800.00, null, '6202');
insert into LANCONTA values (6203, 61, 61, '2019-07-01', '2019-07-15', 'D', '2.02.01.01',
  'Manutenção do elevador', 120.00, null, '6203');
insert into LANCONTA values (6301, 61, 61, '2019-08-01', '2019-08-05', 'D', '2.01.01',
  'Salário de agosto', 810.00, null, '6301');

commit;
