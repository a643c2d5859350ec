#include "app/lang/tables.h"

extern const TFormTables FAskNameTables;
const TFormTables FAskNameTables = {"FAskName", R"(
*_*faskname_caption
 Dati utente
*_*infolabel_caption
 Inserite i vostri dati. Nome, cognome e indirizzo email servono all''ebook per riconoscervi e rispondervi.
*_*labelnome_caption
 Nome:
*_*labelcognome_caption
 Cognome:
*_*labelemail_caption
 Email:
*_*okbutton_caption
 &Ok
*_.notice_lines*count
 1
*_.notice_lines*item0
 NOTA: Per funzionare correttamente, il programma deve avere il permesso di usare alcune risorse del tuo computer. Se un programma di sicurezza (antivirus o firewall) chiede se permetterlo, rispondete di sì.
)", R"(
*_*faskname_caption
 User data
*_*infolabel_caption
 Enter your details. The ebook uses your first name, surname and e-mail address to recognise you and to answer you.
*_*labelnome_caption
 First name:
*_*labelcognome_caption
 Surname:
*_*labelemail_caption
 E-mail:
*_*okbutton_caption
 &OK
*_.notice_lines*count
 1
*_.notice_lines*item0
 NOTE: To work properly, the program needs permission to use some resources of your computer. If security software (an antivirus or a firewall) asks whether to allow it, answer yes.
)"};
