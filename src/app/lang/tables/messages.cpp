// Messages and texts set by code: item n of the English list translates item n
// of the Italian one (a message that begins with an item gets its translation).
// A "%s" in an item stands for a name or a path, carried over into the
// translation; a "%m" for a message inside the message, translated too.
#include "app/lang/tables.h"

extern const TFormTables MessagesTables;
const TFormTables MessagesTables = {"Messages", R"(
*_.messages_items*count
 97
*_.messages_items*item0
 Informazione
*_.messages_items*item1
 Attenzione!
*_.messages_items*item2
 Errore!
*_.messages_items*item3
 Errore nella lettura file: 
*_.messages_items*item4
 Errore nella lettura file:
*_.messages_items*item5
 Errore nella scrittura file 
*_.messages_items*item6
 Errore nell'apertura file: 
*_.messages_items*item7
 File non trovato: 
*_.messages_items*item8
 Formato sconosciuto.
*_.messages_items*item9
 La chiave di registro indicata risulta vuota! (
*_.messages_items*item10
 Non definito o non supportato.
*_.messages_items*item11
 Non definito.
*_.messages_items*item12
 Non riesco a cancellare: 
*_.messages_items*item13
 Caricamento in corso...
*_.messages_items*item14
 Chiudere le altre finestre attive e riprovare!
*_.messages_items*item15
 Questa funzione è stata disabilitata dall'autore.
*_.messages_items*item16
 Scrittura non riuscita: 
*_.messages_items*item17
 Ancora non trovata: 
*_.messages_items*item18
 Sembra che il visualizzatore per il file non sia presente. File: 
*_.messages_items*item19
 Selezionare percorso per il CD / Cambiare CD:
*_.messages_items*item20
 Lo spazio su HD potrebbe essere insufficiente! Errore nella scorporazione file: 
*_.messages_items*item21
 File non supportato dalla corrente versione del programma.
*_.messages_items*item22
 Nessuna cornice è stata registrata come master per la mappa cornici!
*_.messages_items*item23
 Non riesco a salvare i commenti nel modo predefinito. Nella finestra seguente potrete scegliere dove salvare i commenti per il documento corrente.
*_.messages_items*item24
 Senza titolo
*_.messages_items*item25
 Il lettore di ebook ipertestuali
*_.messages_items*item26
 il lettore di ebook ipertestuali
*_.messages_items*item27
 Pagine, cornici e collegamenti
*_.messages_items*item28
 Testo e impaginazione
*_.messages_items*item29
 Immagini GIF, JPEG, PNG e BMP
*_.messages_items*item30
 Realizzato con Qt 6,
*_.messages_items*item31
 libjpeg e giflib
*_.messages_items*item32
 Sei sicuro di voler deinstallare?
*_.messages_items*item33
 Posso cancellare la directory 
*_.messages_items*item34
 Something to remove manually!
*_.messages_items*item35
 Poche risorse di sistema disponibili. Chiudere qualche applicazione.
*_.messages_items*item36
 Installazione: nome dell'ebook non valido: 
*_.messages_items*item37
 Installazione: ebook non trovato: 
*_.messages_items*item38
 Installazione non riuscita: 
*_.messages_items*item39
 Cartella non cancellata: 
*_.messages_items*item40
 Apri
*_.messages_items*item41
 ebook Quillon (*.zeb)
*_.messages_items*item42
 Nessuna parola chiave definita.
*_.messages_items*item43
 &Cerca nella pagina  F3
*_.messages_items*item44
 &Continua nella pagina  F3
*_.messages_items*item45
 Ricerca nella pagina terminata
*_.messages_items*item46
 Ricerca nell'ipertesto terminata
*_.messages_items*item47
 Pagine che contengono "
*_.messages_items*item48
 Pagine esaminate: %1 di %2, trovate: %3
*_.messages_items*item49
 Foglio %1
*_.messages_items*item50
 Imposta stampante
*_.messages_items*item51
 Nessuna stampante raggiungibile in Linux.%sUscire dal programma ed usare le impostazioni di stampa del sistema (CUPS, http://localhost:631/) per installare una stampante (anche inesistente e/o non collegata).
*_.messages_items*item52
 Stampa interrotta: %m
*_.messages_items*item53
 la stampa non è iniziata
*_.messages_items*item54
 la pagina è più lunga di %s fogli; stampa interrotta
*_.messages_items*item55
 Scaricamento update per 
*_.messages_items*item56
 Non c'è nessun aggiornamento.%s(Non trovo il file: ;
*_.messages_items*item57
 Interrotto dall'utente
*_.messages_items*item58
 Occupato
*_.messages_items*item59
 Errore nella scrittura/lettura file
*_.messages_items*item60
 Errore nella scrittura file: 
*_.messages_items*item61
 Errore You may need to reinstall.
*_.messages_items*item62
 Non riesco ad aggiornare automaticamente; proviamo il modo semi-automatico.
*_.messages_items*item63
 Ora il tuo browser cercherà di scaricare il file %s che è l'upgrade per il documento corrente. Dovrai quindi usare File >Apri per caricarlo e vederlo. Probabilmente sarà nella cartella "Documenti".
*_.messages_items*item64
 Non riesco a creare il file 
*_.messages_items*item65
 Non riesco a sostituire 
*_.messages_items*item66
 Non riesco a rinominare %s in %s: 
*_.messages_items*item67
 Il modulo non è stato inviato a %s: %m
*_.messages_items*item68
 Email inviata a 
*_.messages_items*item69
 L'email per %s non è partita (%m).%sVuoi salvare il modulo in un file?
*_.messages_items*item70
 File di testo (*.txt)
*_.messages_items*item71
 Non riesco a far partire il tuo programma di Posta o il tuo Browser!
*_.messages_items*item72
 Non riesco a tradurre in numeri il nome host 
*_.messages_items*item73
 Porta non valida: 
*_.messages_items*item74
 Connessione cifrata impossibile: 
*_.messages_items*item75
 Connessione cifrata non riuscita: 
*_.messages_items*item76
 Certificato del server non valido: 
*_.messages_items*item77
 Il server non offre una connessione cifrata: la password non viene inviata
*_.messages_items*item78
 Il server non accetta l'accesso con password (AUTH PLAIN)
*_.messages_items*item79
 Il server ha mandato una risposta senza fine
*_.messages_items*item80
 Troppi reindirizzamenti (più di 
*_.messages_items*item81
 La risposta supera il massimo di 
*_.messages_items*item82
 Imposta margini
*_.messages_items*item83
 Errore di creazione socket
*_.messages_items*item84
 Manca l'indirizzo del mittente (email1)
*_.messages_items*item85
 Trasferimento incompleto: ricevuti 
*_.messages_items*item86
 Modulo salvato in 
*_.messages_items*item87
 Invio del modulo non disponibile: il modulo non è stato inviato.
*_.messages_items*item88
 &Ok
*_.messages_items*item89
 &Sì
*_.messages_items*item90
 &No
*_.messages_items*item91
 Socket chiuso, ID 
*_.messages_items*item92
 Apertura fallita per il socket di output %s per l' host %s
*_.messages_items*item93
 Output socket %s per l' host %s aperto con successo; ID 
*_.messages_items*item94
 Trasmessi %s bytes sul socket ID 
*_.messages_items*item95
 Ricevuti %s bytes sul socket ID 
*_.messages_items*item96
 Usare "Imposta stampante"
)", R"(
*_.messages_items*count
 97
*_.messages_items*item0
 Information
*_.messages_items*item1
 Warning!
*_.messages_items*item2
 Error!
*_.messages_items*item3
 Error reading the file: 
*_.messages_items*item4
 Error reading the file:
*_.messages_items*item5
 Error writing the file 
*_.messages_items*item6
 Error opening the file: 
*_.messages_items*item7
 File not found: 
*_.messages_items*item8
 Unknown format.
*_.messages_items*item9
 The registry key given is empty! (
*_.messages_items*item10
 Not defined or not supported.
*_.messages_items*item11
 Not defined.
*_.messages_items*item12
 Cannot delete: 
*_.messages_items*item13
 Loading...
*_.messages_items*item14
 Close the other open windows and try again!
*_.messages_items*item15
 The author has disabled this function.
*_.messages_items*item16
 Writing failed: 
*_.messages_items*item17
 Anchor not found: 
*_.messages_items*item18
 There seems to be no viewer for the file. File: 
*_.messages_items*item19
 Choose the CD folder / Change CD:
*_.messages_items*item20
 The disk may be full! Error extracting the file: 
*_.messages_items*item21
 File not supported by this version of the program.
*_.messages_items*item22
 No frame is registered as master of the frame map!
*_.messages_items*item23
 I cannot save the remarks in the usual place. In the next window you can choose where to save the remarks of this document.
*_.messages_items*item24
 Untitled
*_.messages_items*item25
 The hypertext ebook reader
*_.messages_items*item26
 the hypertext ebook reader
*_.messages_items*item27
 Pages, frames and links
*_.messages_items*item28
 Text and layout
*_.messages_items*item29
 GIF, JPEG, PNG and BMP pictures
*_.messages_items*item30
 Made with Qt 6,
*_.messages_items*item31
 libjpeg and giflib
*_.messages_items*item32
 Are you sure you want to uninstall?
*_.messages_items*item33
 May I delete the folder 
*_.messages_items*item34
 Something to remove manually!
*_.messages_items*item35
 Few system resources left. Close some applications.
*_.messages_items*item36
 Installation: invalid ebook name: 
*_.messages_items*item37
 Installation: ebook not found: 
*_.messages_items*item38
 Installation failed: 
*_.messages_items*item39
 Folder not deleted: 
*_.messages_items*item40
 Open
*_.messages_items*item41
 Quillon ebooks (*.zeb)
*_.messages_items*item42
 No keywords defined.
*_.messages_items*item43
 &Search in the page  F3
*_.messages_items*item44
 &Continue in the page  F3
*_.messages_items*item45
 Search in the page finished
*_.messages_items*item46
 Search in the hypertext finished
*_.messages_items*item47
 Pages that contain "
*_.messages_items*item48
 Pages searched: %1 of %2, found: %3
*_.messages_items*item49
 Sheet %1
*_.messages_items*item50
 Printer setup
*_.messages_items*item51
 No printer can be reached on Linux.%sLeave the program and use the system's print settings (CUPS, http://localhost:631/) to install a printer (even one that does not exist or is not connected).
*_.messages_items*item52
 Printing stopped: %m
*_.messages_items*item53
 printing has not started
*_.messages_items*item54
 the page is longer than %s sheets; printing stopped
*_.messages_items*item55
 Downloading the update for 
*_.messages_items*item56
 There is no update.%s(File not found: ;
*_.messages_items*item57
 Stopped by the user
*_.messages_items*item58
 Busy
*_.messages_items*item59
 Error writing or reading the file
*_.messages_items*item60
 Error writing the file: 
*_.messages_items*item61
 Error. You may need to reinstall.
*_.messages_items*item62
 I cannot update automatically; let us try the semi-automatic way.
*_.messages_items*item63
 Your browser will now try to download the file %s, the upgrade of the current document. Then use File >Open to load and view it. It will probably be in the "Documents" folder.
*_.messages_items*item64
 I cannot create the file 
*_.messages_items*item65
 I cannot replace 
*_.messages_items*item66
 I cannot rename %s to %s: 
*_.messages_items*item67
 The form was not sent to %s: %m
*_.messages_items*item68
 E-mail sent to 
*_.messages_items*item69
 The e-mail for %s did not leave (%m).%sDo you want to save the form in a file?
*_.messages_items*item70
 Text files (*.txt)
*_.messages_items*item71
 I cannot start your e-mail program or your browser!
*_.messages_items*item72
 Cannot resolve the host name 
*_.messages_items*item73
 Invalid port: 
*_.messages_items*item74
 Encrypted connection impossible: 
*_.messages_items*item75
 Encrypted connection failed: 
*_.messages_items*item76
 Invalid server certificate: 
*_.messages_items*item77
 The server offers no encrypted connection: the password is not sent
*_.messages_items*item78
 The server does not accept password login (AUTH PLAIN)
*_.messages_items*item79
 The server sent an endless answer
*_.messages_items*item80
 Too many redirects (more than 
*_.messages_items*item81
 The answer exceeds the maximum of 
*_.messages_items*item82
 Page margins
*_.messages_items*item83
 Cannot create a socket
*_.messages_items*item84
 The sender's address is missing (email1)
*_.messages_items*item85
 Incomplete transfer: received 
*_.messages_items*item86
 Form saved in 
*_.messages_items*item87
 Sending forms is not available: the form was not sent.
*_.messages_items*item88
 &OK
*_.messages_items*item89
 &Yes
*_.messages_items*item90
 &No
*_.messages_items*item91
 Socket closed, ID 
*_.messages_items*item92
 Opening the output socket %s to the host %s failed
*_.messages_items*item93
 Output socket %s to the host %s open; ID 
*_.messages_items*item94
 Sent %s bytes on socket ID 
*_.messages_items*item95
 Received %s bytes on socket ID 
*_.messages_items*item96
 Use "Printer setup"
)"};
