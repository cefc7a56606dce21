<?xml version="1.0" encoding="UTF-8"?>
<!-- Job accounting by user, gathered by user group. As a CSV table. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="csv.xsl"/>
  <xsl:variable name="group-by-user-group" select="true()"/>
</xsl:stylesheet>
