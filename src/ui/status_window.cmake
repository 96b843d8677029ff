# frmStatus sources are added to q2_ui here.
