<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>LineWindow</name>
    <message>
        <source>Line</source>
        <translation>Leitung</translation>
    </message>
    <message>
        <source>What went over the line</source>
        <translation>Was über die Leitung ging</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>Hold the view still; the line is still recorded</source>
        <translation>Ansicht anhalten; die Leitung wird weiter aufgezeichnet</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy the selected lines, or all of them</source>
        <translation>Markierte Zeilen kopieren, ohne Markierung alle</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <source>Save the lines as a --trace file has them</source>
        <translation>Zeilen im Format einer --trace-Datei speichern</translation>
    </message>
    <message>
        <source>Paused: %1 new lines wait.</source>
        <translation>Angehalten: %1 neue Zeilen warten.</translation>
    </message>
    <message>
        <source>Paused.</source>
        <translation>Angehalten.</translation>
    </message>
    <message>
        <source>%1 older lines have gone; the window keeps the last %2.</source>
        <translation>%1 ältere Zeilen sind entfallen; das Fenster behält die letzten %2.</translation>
    </message>
    <message>
        <source>Save the line</source>
        <translation>Leitung speichern</translation>
    </message>
    <message>
        <source>The line could not be saved to %1: %2</source>
        <translation>Die Leitung konnte nicht in %1 gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Identify Symbology</source>
        <translation>Symbologie erkennen</translation>
    </message>
    <message>
        <source>The Barcode was not decoded</source>
        <translation>Der Barcode wurde nicht decodiert</translation>
    </message>
    <message>
        <source>Decode: </source>
        <translation>Decodiert: </translation>
    </message>
    <message>
        <source>The symbology is Unknown</source>
        <translation>Die Symbologie ist unbekannt</translation>
    </message>
    <message>
        <source>The symbology is %1</source>
        <translation>Die Symbologie ist %1</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>This will save the current settings</source>
        <translation>Damit werden die aktuellen Einstellungen</translation>
    </message>
    <message>
        <source>permanently as the power on defaults!</source>
        <translation>dauerhaft als Einschaltstandard gespeichert!</translation>
    </message>
    <message>
        <source>Are you sure you want to do this?</source>
        <translation>Wirklich fortfahren?</translation>
    </message>
    <message>
        <source>The settings report could not be written to:</source>
        <translation>Der Einstellungsbericht konnte nicht geschrieben werden nach:</translation>
    </message>
    <message>
        <source>The previous report is unchanged.</source>
        <translation>Der bisherige Bericht ist unverändert.</translation>
    </message>
    <message>
        <source>Present the Barcode to be identified to the scanner</source>
        <translation>Den zu erkennenden Barcode vor den Scanner halten</translation>
    </message>
    <message>
        <source>Then click OK</source>
        <translation>Dann auf OK klicken</translation>
    </message>
    <message>
        <source>No Response from Barcode Reader on %1</source>
        <translation>Keine Antwort vom Barcodeleser an %1</translation>
    </message>
    <message>
        <source>Invalid Response from Barcode Reader</source>
        <translation>Ungültige Antwort vom Barcodeleser</translation>
    </message>
    <message>
        <source>Firmware version is %1</source>
        <translation>Die Firmware-Version ist %1</translation>
    </message>
    <message>
        <source>Expecting %1</source>
        <translation>Erwartet wird %1</translation>
    </message>
    <message>
        <source>Settings are different from Default values</source>
        <translation>Die Einstellungen weichen von den Standardwerten ab</translation>
    </message>
    <message>
        <source>The network to %1 is too slow to judge the reader: round trip %2 ms (more than %3 ms).</source>
        <translation>Das Netzwerk zu %1 ist zu langsam, um den Leser zu beurteilen: Umlaufzeit %2 ms (mehr als %3 ms).</translation>
    </message>
</context>
<context>
    <name>PortsDialog</name>
    <message>
        <source>Ports</source>
        <translation>Anschlüsse</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>&amp;Gerät:</translation>
    </message>
    <message>
        <source>&amp;Assign</source>
        <translation>&amp;Zuweisen</translation>
    </message>
    <message>
        <source>&amp;Free</source>
        <translation>&amp;Freigeben</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Anschluss</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Given</source>
        <translation>Vergeben</translation>
    </message>
    <message>
        <source>remembered</source>
        <translation>gespeichert</translation>
    </message>
</context>
<context>
    <name>frmAlign</name>
    <message>
        <source>Align Reader</source>
        <translation>Leser ausrichten</translation>
    </message>
    <message>
        <source>Align Reader - no reports from the reader</source>
        <translation>Leser ausrichten – keine Berichte vom Leser</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Nah</translation>
    </message>
    <message>
        <source>Far</source>
        <translation>Fern</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Target across and along the scan</source>
        <translation>Ziel quer und längs zur Scanlinie</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>Scan profile</source>
        <translation>Scanprofil</translation>
    </message>
    <message>
        <source>No reports from the reader.</source>
        <translation>Keine Berichte vom Leser.</translation>
    </message>
    <message>
        <source>No target found.</source>
        <translation>Kein Ziel gefunden.</translation>
    </message>
    <message>
        <source>Target outside: across %1, along %2 (0.50 is centred).</source>
        <translation>Ziel außerhalb: quer %1, längs %2 (0,50 ist mittig).</translation>
    </message>
    <message>
        <source>Target inside: across %1, along %2 (0.50 is centred).</source>
        <translation>Ziel innerhalb: quer %1, längs %2 (0,50 ist mittig).</translation>
    </message>
    <message>
        <source>No distance measured.</source>
        <translation>Kein Abstand gemessen.</translation>
    </message>
    <message>
        <source>Distance inside: %1 (0.50 is centred).</source>
        <translation>Abstand innerhalb: %1 (0,50 ist mittig).</translation>
    </message>
    <message>
        <source>Distance outside: %1 (0.50 is centred).</source>
        <translation>Abstand außerhalb: %1 (0,50 ist mittig).</translation>
    </message>
</context>
<context>
    <name>frmDecode</name>
    <message>
        <source>Barcode ID</source>
        <translation>Barcode-ID</translation>
    </message>
    <message>
        <source>Decode</source>
        <translation>Decodieren</translation>
    </message>
    <message>
        <source>Decode - no reports from the reader</source>
        <translation>Decodieren – keine Berichte vom Leser</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID:</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Decode percentage</source>
        <translation>Decodierquote</translation>
    </message>
    <message>
        <source>%1 % decoded</source>
        <translation>%1 % decodiert</translation>
    </message>
    <message>
        <source>No decode report</source>
        <translation>Kein Decodierbericht</translation>
    </message>
</context>
<context>
    <name>frmExec</name>
    <message>
        <source>    Symbology               Identifier</source>
        <translation>Symbologie erkennen</translation>
    </message>
    <message>
        <source>Barcode Reader Test Utility  KSR-6400/6500</source>
        <translation>Barcodeleser-Testprogramm  KSR-6400/6500</translation>
    </message>
    <message>
        <source>COM Setup</source>
        <translation>COM-Anschluss</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>Firmware-Version:</translation>
    </message>
    <message>
        <source>VORN Defaults</source>
        <translation>VORN-Standard</translation>
    </message>
    <message>
        <source>Save Settings</source>
        <translation>Einstellungen speichern</translation>
    </message>
    <message>
        <source>Side Look</source>
        <translation>Seitenblick</translation>
    </message>
    <message>
        <source>Align</source>
        <translation>Ausrichten</translation>
    </message>
    <message>
        <source>Decode Test</source>
        <translation>Decodiertest</translation>
    </message>
    <message>
        <source>Symbology
Identifier</source>
        <translation>Symbologie
erkennen</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Symbologien</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Leitung</translation>
    </message>
    <message>
        <source>Ports</source>
        <translation>Anschlüsse</translation>
    </message>
    <message>
        <source>Show what goes to the reader and back (Ctrl+L)</source>
        <translation>Zeigt, was zum Leser geht und zurückkommt (Strg+L)</translation>
    </message>
    <message>
        <source>Maker: </source>
        <translation>Hersteller: </translation>
    </message>
    <message>
        <source>Serial number: </source>
        <translation>Seriennummer: </translation>
    </message>
    <message>
        <source>(not plugged in)</source>
        <translation>(nicht eingesteckt)</translation>
    </message>
    <message>
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>The settings were not saved as the power-on defaults.</source>
        <translation>Die Einstellungen wurden nicht als Einschaltstandard gespeichert.</translation>
    </message>
    <message>
        <source>The port numbers were not stored: %1.<byte value="xd"/>They hold until the program ends.</source>
        <translation>Die Anschlussnummern wurden nicht gespeichert: %1.<byte value="xd"/>Sie gelten bis zum Programmende.</translation>
    </message>
</context>
<context>
    <name>frmSymbols</name>
    <message>
        <source>Symbologies</source>
        <translation>Symbologien</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
