// Messages and texts set by code: item n of the English list translates item n
// of the Italian one (a message that begins with an item gets its translation).
#include "app/lang/tables.h"

extern const TFormTables MessagesTables;
const TFormTables MessagesTables = {"Messages", R"(
*_.messages_items*count
 42
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
)", R"(
*_.messages_items*count
 42
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
)"};
