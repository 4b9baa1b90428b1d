<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Pelorin</source>
        <translation>Über Pelorin</translation>
    </message>
    <message>
        <source>Batch convert, resize, reorder, rename a set of picture files.</source>
        <translation>Bilddateien stapelweise konvertieren, skalieren, neu ordnen und umbenennen.</translation>
    </message>
    <message>
        <source>Conversions are based on the FreeImage library:</source>
        <translation>Die Konvertierung beruht auf der Bibliothek FreeImage:</translation>
    </message>
    <message>
        <source>Free software: GNU GPL version 3 or later.</source>
        <translation>Freie Software: GNU GPL Version 3 oder später.</translation>
    </message>
</context>
<context>
    <name>CConvertCtrl</name>
    <message>
        <source>Convert</source>
        <translation>Konvertieren</translation>
    </message>
    <message>
        <source>From Folder:</source>
        <translation>Quellordner:</translation>
    </message>
    <message>
        <source>Destination :</source>
        <translation>Ziel:</translation>
    </message>
    <message>
        <source>File name filter:</source>
        <translation>Namensfilter:</translation>
    </message>
    <message>
        <source>(without extension)</source>
        <translation>(ohne Endung)</translation>
    </message>
    <message>
        <source>Replace files</source>
        <translation>Dateien ersetzen</translation>
    </message>
    <message>
        <source>Pictures to convert</source>
        <translation>Zu konvertierende Bilder</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Number of images :</source>
        <translation>Anzahl der Bilder:</translation>
    </message>
    <message>
        <source>View logfile</source>
        <translation>Protokoll anzeigen</translation>
    </message>
    <message>
        <source>Convert image</source>
        <translation>Bild konvertieren</translation>
    </message>
    <message>
        <source>Convert all</source>
        <translation>Alle konvertieren</translation>
    </message>
    <message>
        <source>Input format</source>
        <translation>Eingabeformat</translation>
    </message>
    <message>
        <source>Convert to format :</source>
        <translation>Zielformat:</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>Delete metadata</source>
        <translation>Metadaten entfernen</translation>
    </message>
    <message>
        <source>Jpeg quality:</source>
        <translation>JPEG-Qualität:</translation>
    </message>
    <message>
        <source>darker</source>
        <translation>dunkler</translation>
    </message>
    <message>
        <source>RAW</source>
        <translation>RAW</translation>
    </message>
    <message>
        <source>lighter</source>
        <translation>heller</translation>
    </message>
    <message>
        <source>RAW brightness</source>
        <translation>RAW-Helligkeit</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Größe ändern</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Small side</source>
        <translation>Kurze Seite</translation>
    </message>
    <message>
        <source>Large side</source>
        <translation>Lange Seite</translation>
    </message>
    <message>
        <source>Resize pixels</source>
        <translation>Größe in Pixel</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
</context>
<context>
    <name>CPrefsCtrl</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Extensions for input file formats:</source>
        <translation>Dateiendungen der Eingabeformate:</translation>
    </message>
    <message>
        <source>Caution: format file extensions are not checked.</source>
        <translation>Achtung: Die Dateiendungen werden nicht geprüft.</translation>
    </message>
    <message>
        <source>GIF images:</source>
        <translation>GIF-Bilder:</translation>
    </message>
    <message>
        <source>JPEG images:</source>
        <translation>JPEG-Bilder:</translation>
    </message>
    <message>
        <source>JPG2K images:</source>
        <translation>JPG2K-Bilder:</translation>
    </message>
    <message>
        <source>PNG images:</source>
        <translation>PNG-Bilder:</translation>
    </message>
    <message>
        <source>PSD images:</source>
        <translation>PSD-Bilder:</translation>
    </message>
    <message>
        <source>TIFF images:</source>
        <translation>TIFF-Bilder:</translation>
    </message>
    <message>
        <source>RAW images:</source>
        <translation>RAW-Bilder:</translation>
    </message>
    <message>
        <source>WEBP images:</source>
        <translation>WEBP-Bilder:</translation>
    </message>
    <message>
        <source>* : Multipage not supported for these formats.</source>
        <translation>* : Mehrseitige Dateien werden in diesen Formaten nicht unterstützt.</translation>
    </message>
    <message>
        <source>Restore default values</source>
        <translation>Standardwerte wiederherstellen</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>Farben</translation>
    </message>
    <message>
        <source>Standard line</source>
        <translation>Normale Zeile</translation>
    </message>
    <message>
        <source>Image format error</source>
        <translation>Bildformatfehler</translation>
    </message>
    <message>
        <source>Dupilcate names</source>
        <translation>Doppelte Namen</translation>
    </message>
    <message>
        <source>Collision error</source>
        <translation>Kollisionsfehler</translation>
    </message>
    <message>
        <source>Other errors</source>
        <translation>Andere Fehler</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>Farbe...</translation>
    </message>
    <message>
        <source>Not selected line</source>
        <translation>Nicht ausgewählte Zeile</translation>
    </message>
    <message>
        <source>Selected line</source>
        <translation>Ausgewählte Zeile</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
</context>
<context>
    <name>CRenumCtrl</name>
    <message>
        <source>Rename/Renumber</source>
        <translation>Umbenennen/Neu nummerieren</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Filters separated by &apos;;&apos; (eg: &quot;img*.jpg;doc*.pdf&quot;)</source>
        <translation>Filter durch &apos;;&apos; getrennt (z. B. &quot;img*.jpg;doc*.pdf&quot;)</translation>
    </message>
    <message>
        <source>Files to rename</source>
        <translation>Umzubenennende Dateien</translation>
    </message>
    <message>
        <source>Number of files:</source>
        <translation>Dateien:</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Neuer Name:</translation>
    </message>
    <message>
        <source>digits number</source>
        <translation>Ziffern</translation>
    </message>
    <message>
        <source>Start at n°</source>
        <translation>Start bei Nr.</translation>
    </message>
    <message>
        <source>Renumber</source>
        <translation>Neu nummerieren</translation>
    </message>
    <message>
        <source>File icon or Image preview</source>
        <translation>Dateisymbol oder Bildvorschau</translation>
    </message>
    <message>
        <source>File icon or
Image preview</source>
        <translation>Dateisymbol
oder Vorschau</translation>
    </message>
    <message>
        <source>File size</source>
        <translation>Dateigröße</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>KB</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Converts, resizes and rotates whole folders of pictures, and renumbers them.</source>
        <translation>Konvertiert, skaliert und dreht ganze Bilderordner und nummeriert sie neu.</translation>
    </message>
    <message>
        <source>The source folder to open; a file opens its folder.</source>
        <translation>Der zu öffnende Quellordner; eine Datei öffnet ihren Ordner.</translation>
    </message>
    <message>
        <source>Usage: pelorin [options] [FOLDER]</source>
        <translation>Aufruf: pelorin [Optionen] [ORDNER]</translation>
    </message>
    <message>
        <source>Only one folder can be opened.</source>
        <translation>Es kann nur ein Ordner geöffnet werden.</translation>
    </message>
    <message>
        <source>Try &apos;pelorin --help&apos; for more information.</source>
        <translation>„pelorin --help“ gibt weitere Informationen.</translation>
    </message>
    <message>
        <source>No such folder or file: %1</source>
        <translation>Ordner oder Datei nicht gefunden: %1</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source> 1 - Convert </source>
        <translation> 1 - Konvertieren </translation>
    </message>
    <message>
        <source> 2 - Rename/Renumber </source>
        <translation> 2 - Umbenennen/Neu nummerieren </translation>
    </message>
    <message>
        <source> Preferences </source>
        <translation> Einstellungen </translation>
    </message>
    <message>
        <source>Standard line</source>
        <translation>Normale Zeile</translation>
    </message>
    <message>
        <source>File type error</source>
        <translation>Dateitypfehler</translation>
    </message>
    <message>
        <source>Duplicate error</source>
        <translation>Duplikatfehler</translation>
    </message>
    <message>
        <source>Collision error</source>
        <translation>Kollisionsfehler</translation>
    </message>
    <message>
        <source>Other error</source>
        <translation>Anderer Fehler</translation>
    </message>
    <message>
        <source>FreeImage.dll and/or FreeImagePlus.dll missing!</source>
        <translation>FreeImage.dll und/oder FreeImagePlus.dll fehlt!</translation>
    </message>
    <message>
        <source>All images</source>
        <translation>Alle Bilder</translation>
    </message>
    <message>
        <source>GIF images</source>
        <translation>GIF-Bilder</translation>
    </message>
    <message>
        <source>JPEG images</source>
        <translation>JPEG-Bilder</translation>
    </message>
    <message>
        <source>JPEG 2K images</source>
        <translation>JPEG-2K-Bilder</translation>
    </message>
    <message>
        <source>PNG images</source>
        <translation>PNG-Bilder</translation>
    </message>
    <message>
        <source>PSD images</source>
        <translation>PSD-Bilder</translation>
    </message>
    <message>
        <source>TIFF images</source>
        <translation>TIFF-Bilder</translation>
    </message>
    <message>
        <source>RAW images</source>
        <translation>RAW-Bilder</translation>
    </message>
    <message>
        <source>WEBP images</source>
        <translation>WEBP-Bilder</translation>
    </message>
    <message>
        <source>Origin and destination folders must not be the same!</source>
        <translation>Quell- und Zielordner müssen verschieden sein!</translation>
    </message>
    <message>
        <source>Error !</source>
        <translation>Fehler!</translation>
    </message>
    <message>
        <source>Identical file names (conversion conflicts)</source>
        <translation>Gleiche Dateinamen (Konflikte bei der Konvertierung)</translation>
    </message>
    <message>
        <source>Collision in destination files.</source>
        <translation>Kollision bei den Zieldateien.</translation>
    </message>
    <message>
        <source>Image file error!</source>
        <translation>Fehler in der Bilddatei!</translation>
    </message>
    <message>
        <source>Error loading image file: <byte value="xd"/>
</source>
        <translation>Fehler beim Laden der Bilddatei: <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Files with same names are present (conflicts in conversion)</source>
        <translation>Es gibt Dateien mit gleichem Namen (Konflikte bei der Konvertierung)</translation>
    </message>
    <message>
        <source>(bad)</source>
        <translation>(schlecht)</translation>
    </message>
    <message>
        <source>(average)</source>
        <translation>(mittel)</translation>
    </message>
    <message>
        <source>(normal)</source>
        <translation>(normal)</translation>
    </message>
    <message>
        <source>(good)</source>
        <translation>(gut)</translation>
    </message>
    <message>
        <source>(superb)</source>
        <translation>(sehr gut)</translation>
    </message>
    <message>
        <source>(maximal)</source>
        <translation>(maximal)</translation>
    </message>
    <message>
        <source>Conversion not done: Conflict in file names</source>
        <translation>Keine Konvertierung: Konflikt bei den Dateinamen</translation>
    </message>
    <message>
        <source>Conflicts in file names!</source>
        <translation>Konflikte bei den Dateinamen!</translation>
    </message>
    <message>
        <source>File renaming error: aborted!</source>
        <translation>Fehler beim Umbenennen: abgebrochen!</translation>
    </message>
    <message>
        <source> Kb</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>End of fle renaming!</source>
        <translation>Umbenennen beendet!</translation>
    </message>
    <message>
        <source> Current name </source>
        <translation> Aktueller Name </translation>
    </message>
    <message>
        <source> New name </source>
        <translation> Neuer Name </translation>
    </message>
    <message>
        <source>https://pelorin.app/</source>
        <translation>https://pelorin.app/</translation>
    </message>
    <message>
        <source>Choose an image to convert.</source>
        <translation>Wählen Sie ein Bild zum Konvertieren aus.</translation>
    </message>
    <message>
        <source>Converting  </source>
        <translation>Konvertiere  </translation>
    </message>
    <message>
        <source>Loading </source>
        <translation>Lade </translation>
    </message>
    <message>
        <source>End of conversion!</source>
        <translation>Konvertierung beendet!</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source> : Files have been skipped (see log).</source>
        <translation> : Dateien wurden übersprungen (siehe Protokoll).</translation>
    </message>
    <message>
        <source> : The log %1 could not be written: %2.</source>
        <translation> : Das Protokoll %1 konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source> : Files have been skipped, and the log %1 could not be written: %2.</source>
        <translation> : Dateien wurden übersprungen, und das Protokoll %1 konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source> *** Save image error</source>
        <translation> *** Fehler beim Speichern des Bildes</translation>
    </message>
    <message>
        <source>Original image error: </source>
        <translation>Fehler im Originalbild: </translation>
    </message>
    <message>
        <source>Raw image tone mapping error</source>
        <translation>Fehler beim Tone-Mapping des RAW-Bildes</translation>
    </message>
    <message>
        <source>Image resizing error.</source>
        <translation>Fehler beim Skalieren des Bildes.</translation>
    </message>
    <message>
        <source>Grayscale error.</source>
        <translation>Fehler bei der Umwandlung in Graustufen.</translation>
    </message>
    <message>
        <source>the destination is the source file itself</source>
        <translation>das Ziel ist die Quelldatei selbst</translation>
    </message>
    <message>
        <source>the picture is too large to convert (%1 × %2 pixels)</source>
        <translation>das Bild ist zu groß zum Konvertieren (%1 × %2 Pixel)</translation>
    </message>
    <message>
        <source>a folder, not a file</source>
        <translation>ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>not a regular file (a pipe, device or socket)</source>
        <translation>keine reguläre Datei (Pipe, Gerät oder Socket)</translation>
    </message>
    <message>
        <source>the conversion helper is still busy with another picture</source>
        <translation>das Konvertierungsprogramm ist noch mit einem anderen Bild beschäftigt</translation>
    </message>
    <message>
        <source>the conversion helper pelorin-worker does not match this version of Pelorin</source>
        <translation>das Konvertierungsprogramm pelorin-worker passt nicht zu dieser Version von Pelorin</translation>
    </message>
    <message>
        <source>the image library failed on this file (damaged or unsupported)</source>
        <translation>die Bildbibliothek ist an dieser Datei gescheitert (beschädigt oder nicht unterstützt)</translation>
    </message>
    <message>
        <source>the conversion took too long and was stopped</source>
        <translation>die Konvertierung dauerte zu lange und wurde abgebrochen</translation>
    </message>
    <message>
        <source>the conversion helper pelorin-worker could not be started</source>
        <translation>das Konvertierungsprogramm pelorin-worker konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>the conversion was stopped</source>
        <translation>die Konvertierung wurde abgebrochen</translation>
    </message>
    <message>
        <source>the conversion helper was stopped by the system</source>
        <translation>das Konvertierungsprogramm wurde vom System beendet</translation>
    </message>
    <message>
        <source>the conversion helper received a damaged request</source>
        <translation>das Konvertierungsprogramm hat eine beschädigte Anfrage erhalten</translation>
    </message>
    <message>
        <source>The preferences could not be saved to %1: %2.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Stop the run: the pictures being converted get two seconds to finish</source>
        <translation>Lauf anhalten: Bilder, die gerade konvertiert werden, bekommen noch zwei Sekunden zum Abschließen</translation>
    </message>
    <message>
        <source>Version ß %1.%2.%3 (%4)</source>
        <translation>Version ß %1.%2.%3 (%4)</translation>
    </message>
    <message>
        <source>Version %1.%2.%3</source>
        <translation>Version %1.%2.%3</translation>
    </message>
    <message>
        <source>Version %1.%2</source>
        <translation>Version %1.%2</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Choose source folder</source>
        <translation>Quellordner wählen</translation>
    </message>
    <message>
        <source>Choose destination folder</source>
        <translation>Zielordner wählen</translation>
    </message>
    <message>
        <source>Choose folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Turn clockwise</source>
        <translation>Im Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>Turn counterclockwise</source>
        <translation>Gegen den Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>duplicate name</source>
        <translation>doppelter Name</translation>
    </message>
    <message>
        <source>exists in destination</source>
        <translation>im Ziel vorhanden</translation>
    </message>
    <message>
        <source>name conflict</source>
        <translation>Namenskonflikt</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>RAW : %1</source>
        <translation>RAW: %1</translation>
    </message>
    <message>
        <source>Open destination folder</source>
        <translation>Zielordner öffnen</translation>
    </message>
    <message>
        <source>No program could open the log file %1.</source>
        <translation>Kein Programm konnte die Protokolldatei %1 öffnen.</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Kein Programm konnte den Ordner %1 öffnen.</translation>
    </message>
    <message>
        <source>the size of the picture cannot be read without decoding it (damaged or unsupported header)</source>
        <translation>die Größe des Bildes lässt sich nicht lesen, ohne es zu dekodieren (beschädigter oder nicht unterstützter Dateikopf)</translation>
    </message>
    <message>
        <source>the file is cut short: it ends before the picture its header describes</source>
        <translation>die Datei ist abgeschnitten: sie endet vor dem Bild, das ihr Dateikopf beschreibt</translation>
    </message>
    <message>
        <source>this disk does not allow this file name</source>
        <translation>dieser Datenträger erlaubt diesen Dateinamen nicht</translation>
    </message>
    <message>
        <source>this disk does not allow this name or this change</source>
        <translation>dieser Datenträger erlaubt diesen Namen oder diese Änderung nicht</translation>
    </message>
    <message>
        <source>this disk does not allow this kind of change</source>
        <translation>dieser Datenträger erlaubt diese Art von Änderung nicht</translation>
    </message>
    <message>
        <source>a file with this name already exists</source>
        <translation>eine Datei mit diesem Namen existiert bereits</translation>
    </message>
    <message>
        <source>a file with this name already exists (this disk may not tell capital from small letters)</source>
        <translation>eine Datei mit diesem Namen existiert bereits (dieser Datenträger unterscheidet Groß- und Kleinbuchstaben womöglich nicht)</translation>
    </message>
    <message>
        <source>%1 could not be renamed to %2: %3.</source>
        <translation>%1 konnte nicht in %2 umbenannt werden: %3.</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: %2.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>the destination file is write-protected</source>
        <translation>die Zieldatei ist schreibgeschützt</translation>
    </message>
    <message>
        <source>one name on the destination disk, which ignores case</source>
        <translation>ein einziger Name auf dem Zieldatenträger, der Groß- und Kleinschreibung nicht unterscheidet</translation>
    </message>
    <message>
        <source>Files whose names differ only in case are present: the destination disk takes them for one name (conflicts in conversion)</source>
        <translation>Es gibt Dateien, deren Namen sich nur in Groß- und Kleinschreibung unterscheiden: der Zieldatenträger hält sie für einen Namen (Konflikte bei der Konvertierung)</translation>
    </message>
    <message>
        <source>the destination folder did not answer in time</source>
        <translation>der Zielordner hat nicht rechtzeitig geantwortet</translation>
    </message>
    <message>
        <source>the source&apos;s metadata is damaged</source>
        <translation>die Metadaten der Quelle sind beschädigt</translation>
    </message>
    <message>
        <source>its EXIF block is larger than the output format can hold</source>
        <translation>ihr EXIF-Block ist größer, als das Ausgabeformat aufnehmen kann</translation>
    </message>
    <message>
        <source>the output format cannot hold it</source>
        <translation>das Ausgabeformat kann sie nicht aufnehmen</translation>
    </message>
    <message>
        <source>Keep file dates</source>
        <translation>Dateidatum beibehalten</translation>
    </message>
    <message>
        <source> Date taken </source>
        <translation> Aufnahmedatum </translation>
    </message>
    <message>
        <source>file date, no date taken in the file</source>
        <translation>Dateidatum, die Datei nennt kein Aufnahmedatum</translation>
    </message>
    <message>
        <source>Sorted by date taken, oldest first</source>
        <translation>Nach Aufnahmedatum sortiert, älteste zuerst</translation>
    </message>
    <message>
        <source>Sorted by date taken, newest first</source>
        <translation>Nach Aufnahmedatum sortiert, neueste zuerst</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Give the files of this folder&apos;s last renumber their earlier names back (Ctrl+Z)</source>
        <translation>Den Dateien der letzten Neunummerierung dieses Ordners ihre früheren Namen zurückgeben (Strg+Z)</translation>
    </message>
    <message>
        <source>The renumber did not start: its record, which Undo needs, could not be written (%1).</source>
        <translation>Die Neunummerierung wurde nicht begonnen: ihr Protokoll, das Rückgängig braucht, konnte nicht geschrieben werden (%1).</translation>
    </message>
    <message>
        <source>Undo: %1 of %2 files have their earlier names back.</source>
        <translation>Rückgängig: %1 von %2 Dateien haben ihre früheren Namen zurück.</translation>
    </message>
    <message>
        <source>Changed since the renumber, and so left alone: %1</source>
        <translation>Seit der Neunummerierung geändert und daher unberührt gelassen: %1</translation>
    </message>
    <message>
        <source>A renumber of the folder %1 was interrupted: %2 of its %3 files have their new names. Finish the renumber, or undo the part that was done?</source>
        <translation>Eine Neunummerierung des Ordners %1 wurde unterbrochen: %2 seiner %3 Dateien haben ihre neuen Namen. Die Neunummerierung beenden oder den erledigten Teil rückgängig machen?</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>The interrupted renumber of %1 is finished: %2 more files renamed.</source>
        <translation>Die unterbrochene Neunummerierung von %1 ist beendet: %2 weitere Dateien umbenannt.</translation>
    </message>
    <message>
        <source>The interrupted renumber of %1 is undone: %2 files have their earlier names back.</source>
        <translation>Die unterbrochene Neunummerierung von %1 ist rückgängig gemacht: %2 Dateien haben ihre früheren Namen zurück.</translation>
    </message>
    <message>
        <source>The record of this renumber could not be updated, so Undo is not offered (%1).</source>
        <translation>Das Protokoll dieser Neunummerierung konnte nicht aktualisiert werden, daher wird Rückgängig nicht angeboten (%1).</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>Files are numbered in list order. Move the selected file with Alt+Up and Alt+Down or by dragging; Alt+S sorts by current name and Alt+D by date taken (again: the reverse order); Delete takes the file out of the list.</source>
        <translation>Die Dateien werden in der Reihenfolge der Liste nummeriert. Verschieben Sie die ausgewählte Datei mit Alt+Nach oben und Alt+Nach unten oder durch Ziehen; Alt+S sortiert nach aktuellem Namen und Alt+D nach Aufnahmedatum (erneut: in umgekehrter Reihenfolge); Entf nimmt die Datei aus der Liste.</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Turned %1° clockwise</source>
        <translation>Um %1° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <source>Not turned</source>
        <translation>Nicht gedreht</translation>
    </message>
    <message>
        <source>The changes on the Preferences page are not saved. Save them before quitting, or discard them?</source>
        <translation>Die Änderungen auf der Seite Einstellungen sind nicht gespeichert. Vor dem Beenden speichern oder verwerfen?</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 moved to position %2 of %3</source>
        <translation>%1 an Position %2 von %3 verschoben</translation>
    </message>
    <message>
        <source>sorted, ascending</source>
        <translation>sortiert, aufsteigend</translation>
    </message>
    <message>
        <source>sorted, descending</source>
        <translation>sortiert, absteigend</translation>
    </message>
    <message>
        <source>Sorted by current name, A to Z</source>
        <translation>Nach aktuellem Namen sortiert, A bis Z</translation>
    </message>
    <message>
        <source>Sorted by current name, Z to A</source>
        <translation>Nach aktuellem Namen sortiert, Z bis A</translation>
    </message>
</context>
</TS>
