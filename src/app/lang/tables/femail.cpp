#include "app/lang/tables.h"

extern const TFormTables FemailTables;
const TFormTables FemailTables = {"Femail", R"(
*_*femail_caption
 Configurazione email
*_*label1_caption
 Questa è una configurazione per inviare email che occorre fare una sola volta.§!Potrai cambiare questi valori in seguito con il comando delle opzioni email.
*_*label2_caption
 Nome del server SMTP per la posta in uscita§!(per esempio: smtp.esempio.it o smtp.esempio.it:587):
*_*label3_caption
 Il tuo indirizzo email§!(per esempio: mario.rossi@esempio.it):
*_*label4_caption
 Password (solo se il server la chiede):
*_*cbricorda_caption
 Ricorda la password
*_*okbutton_caption
 &Ok
)", R"(
*_*femail_caption
 E-mail settings
*_*label1_caption
 These e-mail settings need to be made only once.§!You can change them later with the e-mail options command.
*_*label2_caption
 Name of the SMTP server for outgoing mail§!(for example: smtp.example.com or smtp.example.com:587):
*_*label3_caption
 Your e-mail address§!(for example: john.smith@example.com):
*_*label4_caption
 Password (only if the server asks for one):
*_*cbricorda_caption
 Remember the password
*_*okbutton_caption
 &OK
)"};
