# Reader configuration tests: defaults, save, identification, symbology dialog.
