/* Rows for the login and selection screen tests, loaded after fixtures.sql.
   Condominiums from 50 on, chart of accounts number 5, account 50; nothing
   here touches the rows the report tests count.

   50: password with accents and a blank inside; its logo is a 2 x 2 bitmap
       behind the 8-byte picture header (count 1, type 0100 hex, size 70).
       Chart 5 is the example 1, 1.01, 1.01.01, 1.02, 2, 2.01: grade "1.01"
       lists 1, 1.01, 1.02, 2, 2.01 (five accounts). One entry, June 2015.
   51: password null, logo a plain bitmap (no header), no entries.
   52: password empty, no logo.
   53: password "antiga", changed and put back by the snapshot test. */

insert into COND (cond, nome, logo, remoto_senha, remoto_balancete, estrutu)
  values (50, 'Condomínio Jardim das Acácias',
  x'0100000146000000424D460000000000000036000000280000000200000002000000010018000000000010000000130B0000130B00000000000000000000FF0000FFFFFF00000000FF00FF000000',
  'Ação Três', 7, 5);
insert into COND (cond, nome, logo, remoto_senha, remoto_balancete, estrutu)
  values (51, 'Edifício Sem Senha',
  x'424D460000000000000036000000280000000200000002000000010018000000000010000000130B0000130B00000000000000000000FF0000FFFFFF00000000FF00FF000000',
  null, null, 1);
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (52, 'Edifício Senha Vazia', '', 8, 1);

insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (53, 'Edifício Troca de Senha', 'antiga', 9, 1);

insert into SUBCONTA values (5, 'R', '1', 'Receitas');
insert into SUBCONTA values (5, 'R', '1.01', 'Receitas Ordinárias');
insert into SUBCONTA values (5, 'R', '1.01.01', 'Taxa Condominial');
insert into SUBCONTA values (5, 'R', '1.02', 'Receitas Extraordinárias');
insert into SUBCONTA values (5, 'D', '2', 'Despesas');
insert into SUBCONTA values (5, 'D', '2.01', 'Despesas com Pessoal');

insert into CONTA values (50, 50, 'Banco Jardim', 'Jardim', 0);
insert into LANCONTA values (50001, 50, 50, '2015-06-01', '2015-06-15', 'D', '2.01',
  'Salário do porteiro', 1800.00, null, '50001');

commit;
