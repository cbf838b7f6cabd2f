<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>LineWindow</name>
    <message>
        <source>Line</source>
        <translation>Línea</translation>
    </message>
    <message>
        <source>What went over the line</source>
        <translation>Lo que pasó por la línea</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Pausa</translation>
    </message>
    <message>
        <source>Hold the view still; the line is still recorded</source>
        <translation>Detener la vista; la línea se sigue registrando</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Borrar</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiar</translation>
    </message>
    <message>
        <source>Copy the selected lines, or all of them</source>
        <translation>Copiar las líneas seleccionadas, o todas si no hay selección</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Guardar...</translation>
    </message>
    <message>
        <source>Save the lines as a --trace file has them</source>
        <translation>Guardar las líneas con el formato de un archivo --trace</translation>
    </message>
    <message>
        <source>Paused: %1 new lines wait.</source>
        <translation>En pausa: %1 líneas nuevas en espera.</translation>
    </message>
    <message>
        <source>Paused.</source>
        <translation>En pausa.</translation>
    </message>
    <message>
        <source>%1 older lines have gone; the window keeps the last %2.</source>
        <translation>Se descartaron %1 líneas antiguas; la ventana conserva las últimas %2.</translation>
    </message>
    <message>
        <source>Save the line</source>
        <translation>Guardar la línea</translation>
    </message>
    <message>
        <source>The line could not be saved to %1: %2</source>
        <translation>No se pudo guardar la línea en %1: %2</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Identify Symbology</source>
        <translation>Identificar simbología</translation>
    </message>
    <message>
        <source>The Barcode was not decoded</source>
        <translation>No se decodificó el código de barras</translation>
    </message>
    <message>
        <source>Decode: </source>
        <translation>Decodificado: </translation>
    </message>
    <message>
        <source>The symbology is Unknown</source>
        <translation>La simbología es desconocida</translation>
    </message>
    <message>
        <source>The symbology is %1</source>
        <translation>La simbología es %1</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>This will save the current settings</source>
        <translation>Esto guardará la configuración actual</translation>
    </message>
    <message>
        <source>permanently as the power on defaults!</source>
        <translation>de forma permanente como valores de encendido.</translation>
    </message>
    <message>
        <source>Are you sure you want to do this?</source>
        <translation>¿Seguro que desea hacerlo?</translation>
    </message>
    <message>
        <source>The settings report could not be written to:</source>
        <translation>No se pudo escribir el informe de configuración en:</translation>
    </message>
    <message>
        <source>The previous report is unchanged.</source>
        <translation>El informe anterior no ha cambiado.</translation>
    </message>
    <message>
        <source>Present the Barcode to be identified to the scanner</source>
        <translation>Presente al escáner el código de barras que desea identificar</translation>
    </message>
    <message>
        <source>Then click OK</source>
        <translation>Después pulse Aceptar</translation>
    </message>
    <message>
        <source>No Response from Barcode Reader on %1</source>
        <translation>Sin respuesta del lector de códigos de barras en %1</translation>
    </message>
    <message>
        <source>Invalid Response from Barcode Reader</source>
        <translation>Respuesta no válida del lector de códigos de barras</translation>
    </message>
    <message>
        <source>Firmware version is %1</source>
        <translation>La versión de firmware es %1</translation>
    </message>
    <message>
        <source>Expecting %1</source>
        <translation>Se esperaba %1</translation>
    </message>
    <message>
        <source>Settings are different from Default values</source>
        <translation>La configuración difiere de los valores predeterminados</translation>
    </message>
    <message>
        <source>The network to %1 is too slow to judge the reader: round trip %2 ms (more than %3 ms).</source>
        <translation>La red hacia %1 es demasiado lenta para evaluar el lector: tiempo de ida y vuelta %2 ms (más de %3 ms).</translation>
    </message>
</context>
<context>
    <name>PortsDialog</name>
    <message>
        <source>Ports</source>
        <translation>Puertos</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>&amp;Dispositivo:</translation>
    </message>
    <message>
        <source>&amp;Assign</source>
        <translation>&amp;Asignar</translation>
    </message>
    <message>
        <source>&amp;Free</source>
        <translation>&amp;Liberar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Puerto</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Dispositivo</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Given</source>
        <translation>Asignado</translation>
    </message>
    <message>
        <source>remembered</source>
        <translation>recordado</translation>
    </message>
</context>
<context>
    <name>frmAlign</name>
    <message>
        <source>Align Reader</source>
        <translation>Alinear lector</translation>
    </message>
    <message>
        <source>Align Reader - no reports from the reader</source>
        <translation>Alinear lector: el lector no envía informes</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Arriba</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Izquierda</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Derecha</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Abajo</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerca</translation>
    </message>
    <message>
        <source>Far</source>
        <translation>Lejos</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Target across and along the scan</source>
        <translation>Objetivo a lo ancho y a lo largo del escaneo</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Distancia</translation>
    </message>
    <message>
        <source>Scan profile</source>
        <translation>Perfil del escaneo</translation>
    </message>
    <message>
        <source>No reports from the reader.</source>
        <translation>El lector no envía informes.</translation>
    </message>
    <message>
        <source>No target found.</source>
        <translation>No se encontró el objetivo.</translation>
    </message>
    <message>
        <source>Target outside: across %1, along %2 (0.50 is centred).</source>
        <translation>Objetivo fuera: a lo ancho %1, a lo largo %2 (0,50 es el centro).</translation>
    </message>
    <message>
        <source>Target inside: across %1, along %2 (0.50 is centred).</source>
        <translation>Objetivo dentro: a lo ancho %1, a lo largo %2 (0,50 es el centro).</translation>
    </message>
    <message>
        <source>No distance measured.</source>
        <translation>No se midió la distancia.</translation>
    </message>
    <message>
        <source>Distance inside: %1 (0.50 is centred).</source>
        <translation>Distancia dentro: %1 (0,50 es el centro).</translation>
    </message>
    <message>
        <source>Distance outside: %1 (0.50 is centred).</source>
        <translation>Distancia fuera: %1 (0,50 es el centro).</translation>
    </message>
</context>
<context>
    <name>frmDecode</name>
    <message>
        <source>Barcode ID</source>
        <translation>ID del código</translation>
    </message>
    <message>
        <source>Decode</source>
        <translation>Decodificación</translation>
    </message>
    <message>
        <source>Decode - no reports from the reader</source>
        <translation>Decodificación: el lector no envía informes</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID:</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Decode percentage</source>
        <translation>Porcentaje de decodificación</translation>
    </message>
    <message>
        <source>%1 % decoded</source>
        <translation>%1 % decodificado</translation>
    </message>
    <message>
        <source>No decode report</source>
        <translation>Sin informe de decodificación</translation>
    </message>
</context>
<context>
    <name>frmExec</name>
    <message>
        <source>    Symbology               Identifier</source>
        <translation>Identificar simbología</translation>
    </message>
    <message>
        <source>Barcode Reader Test Utility  KSR-6400/6500</source>
        <translation>Utilidad de prueba de lectores de códigos de barras  KSR-6400/6500</translation>
    </message>
    <message>
        <source>COM Setup</source>
        <translation>Puerto COM</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>Versión de firmware:</translation>
    </message>
    <message>
        <source>VORN Defaults</source>
        <translation>Valores VORN</translation>
    </message>
    <message>
        <source>Save Settings</source>
        <translation>Guardar configuración</translation>
    </message>
    <message>
        <source>Side Look</source>
        <translation>Vista lateral</translation>
    </message>
    <message>
        <source>Align</source>
        <translation>Alinear</translation>
    </message>
    <message>
        <source>Decode Test</source>
        <translation>Prueba de decodificación</translation>
    </message>
    <message>
        <source>Symbology
Identifier</source>
        <translation>Identificar
simbología</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Simbologías</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Línea</translation>
    </message>
    <message>
        <source>Ports</source>
        <translation>Puertos</translation>
    </message>
    <message>
        <source>Show what goes to the reader and back (Ctrl+L)</source>
        <translation>Muestra lo que va al lector y lo que vuelve (Ctrl+L)</translation>
    </message>
    <message>
        <source>Maker: </source>
        <translation>Fabricante: </translation>
    </message>
    <message>
        <source>Serial number: </source>
        <translation>Número de serie: </translation>
    </message>
    <message>
        <source>(not plugged in)</source>
        <translation>(no conectado)</translation>
    </message>
    <message>
        <source>Online</source>
        <translation>En línea</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Sin línea</translation>
    </message>
    <message>
        <source>The settings were not saved as the power-on defaults.</source>
        <translation>La configuración no se guardó como valores de encendido.</translation>
    </message>
    <message>
        <source>The port numbers were not stored: %1.<byte value="xd"/>They hold until the program ends.</source>
        <translation>Los números de puerto no se guardaron: %1.<byte value="xd"/>Se mantienen hasta que el programa termine.</translation>
    </message>
</context>
<context>
    <name>frmSymbols</name>
    <message>
        <source>Symbologies</source>
        <translation>Simbologías</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
</TS>
