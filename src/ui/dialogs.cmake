# Source-file choice, FontDlg and PrtDlg sources are added to q2_ui here.
