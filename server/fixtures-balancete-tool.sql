/* Rows for the balance report as the report tool and "Gerar Relatório"
   start it, loaded after fixtures.sql. Condominiums of their own, one for
   the tool's tests and one for the selection screen's, so that runs going
   on at the same time log their emissions in rows nobody else touches.
   Chart of accounts 1 (fixtures.sql), balance settings 1.

   Condominium 70 "Condomínio Relatório Agendado", password agenda70,
   account 700:
     May 2019:  70001 E 1.02.01      150.00  05/05/2019
                70002 D 2.01.01     1000.00  10/05/2019
                70003 D 2.02.01.01   250.00  12/05/2019
     June 2019: 70101 D 2.01.01      300.00  03/06/2019
   The latest month with entries is June 2019.

   Condominium 71 "Condomínio Tela de Seleção", password tela71, account
   710:
     July 2019:   71001 E 1.02.01      200.00  07/07/2019
                  71002 D 2.01.01      800.00  10/07/2019
                  71003 D 2.02.01.01   120.00  15/07/2019
     August 2019: 71101 D 2.01.01      810.00  05/08/2019
   The latest month with entries is August 2019.

   Condominium 72 "Condomínio Parada Limpa", password parada72, account
   720, for runs of the report tool that are stopped, wait too long or have
   their emission log refused, each in a month of its own:
     September 2019: 72001 D 2.01.01      400.00  05/09/2019
     October 2019:   72101 D 2.01.01      410.00  05/10/2019
     November 2019:  72201 D 2.01.01      420.00  05/11/2019
   The server refuses every emission log of condominium 72 for November
   2019 (trigger EMISSOES_RECUSADAS at the end).

   No other condominium has entries in 2019; no condominium has any in
   January 2010. */

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (70, 'Condomínio Relatório Agendado', 'agenda70', 1, 1);

insert into CONTA values (700, 70, 'Banco Agendado Ag. 7070', 'Agendado', 1000.00);

insert into LANCONTA values (70001, 70, 700, '2019-05-01', '2019-05-05', 'E', '1.02.01',
  'Rendimento de maio', 150.00, null, '70001');
insert into LANCONTA values (70002, 70, 700, '2019-05-01', '2019-05-10', 'D', '2.01.01',
  'Salário de maio', 1000.00, null, '70002');
insert into LANCONTA values (70003, 70, 700, '2019-05-01', '2019-05-12', 'D', '2.02.01.01',
  'Manutenção do elevador', 250.00, null, '70003');
insert into LANCONTA values (70101, 70, 700, '2019-06-01', '2019-06-03', 'D', '2.01.01',
  'Salário de junho', 300.00, null, '70101');

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (71, 'Condomínio Tela de Seleção', 'tela71', 1, 1);

insert into CONTA values (710, 71, 'Banco da Tela Ag. 7171', 'Tela', 500.00);

insert into LANCONTA values (71001, 71, 710, '2019-07-01', '2019-07-07', 'E', '1.02.01',
  'Rendimento de julho', 200.00, null, '71001');
insert into LANCONTA values (71002, 71, 710, '2019-07-01', '2019-07-10', 'D', '2.01.01',
  'Salário de julho', 800.00, null, '71002');
insert into LANCONTA values (71003, 71, 710, '2019-07-01', '2019-07-15', 'D', '2.02.01.01',
  'Manutenção do elevador', 120.00, null, '71003');
insert into LANCONTA values (71101, 71, 710, '2019-08-01', '2019-08-05', 'D', '2.01.01',
  'Salário de agosto', 810.00, null, '71101');

commit;

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (72, 'Condomínio Parada Limpa', 'parada72', 1, 1);

insert into CONTA values (720, 72, 'Banco da Parada Ag. 7272', 'Parada', 900.00);

insert into LANCONTA values (72001, 72, 720, '2019-09-01', '2019-09-05', 'D', '2.01.01',
  'Salário de setembro', 400.00, null, '72001');
insert into LANCONTA values (72101, 72, 720, '2019-10-01', '2019-10-05', 'D', '2.01.01',
  'Salário de outubro', 410.00, null, '72101');
insert into LANCONTA values (72201, 72, 720, '2019-11-01', '2019-11-05', 'D', '2.01.01',
  'Salário de novembro', 420.00, null, '72201');

commit;

create exception EMISSAO_RECUSADA 'the server refuses this emission log';
set term ^;
create trigger EMISSOES_RECUSADAS for EMISSOES before insert or update as
begin
  if (new.cod = 72 and new.mes = '2019-11-01') then
    exception EMISSAO_RECUSADA;
end^
set term ;^

commit;
