# frmMain, frmAbout and start-up sources are added to q2_ui here.
